#include "PropValue.h"

#include <QtTest>

class TestPropValue : public QObject
{
    Q_OBJECT
private slots:
    void layoutIsTwelvePackedBytes()
    {
        QCOMPARE(sizeof(PropValue), size_t(12));
        PropValue v = PropValue::scalar(PropValue::Integer, 0x1122334455667788ull);
        unsigned char raw[12];
        memcpy(raw, &v, 12);
        QCOMPARE(raw[0], (unsigned char)PropValue::Integer);
        QCOMPARE(raw[4], (unsigned char)0x88); // the payload follows the kind directly
        QCOMPARE(raw[11], (unsigned char)0x11);
    }

    void contentIsWrittenIntoANullDocument()
    {
        // A null document taking its first member is what every commit does on the roads.
        PropValue doc;
        QVERIFY(doc.setMember(u"Content", u"Folder"));
        // Writing again replaces the member rather than adding one.
        QVERIFY(doc.setMember(u"Content", u"Type"));
        QCOMPARE(doc.object()->size(), size_t(1));
        QVERIFY(*doc.find(u"Content")->string() == u"Type");
        // A scalar document cannot take members.
        PropValue scalar = PropValue::scalar(PropValue::Integer, 7);
        QVERIFY(!scalar.setMember(u"Content", u"x"));
        QCOMPARE(scalar.scalarValue(), uint64_t(7));
    }

    void copiesAreDeepAndSelfAssignmentIsHarmless()
    {
        PropValue doc;
        doc.setMember(u"Content", u"Local");
        PropValue nested;
        nested.append(PropValue(u"a"));
        nested.append(PropValue(u"b"));
        *doc.member(u"List") = nested;

        PropValue copy(doc);
        copy.setMember(u"Content", u"Changed");
        copy.member(u"List")->append(PropValue(u"c"));
        QVERIFY(*doc.find(u"Content")->string() == u"Local");
        QCOMPARE(doc.find(u"List")->array()->size(), size_t(2));
        QCOMPARE(copy.find(u"List")->array()->size(), size_t(3));

        PropValue& alias = copy;
        copy = alias;
        QVERIFY(*copy.find(u"Content")->string() == u"Changed");

        PropValue assigned;
        assigned = doc;
        assigned = PropValue::scalar(PropValue::Bool, 1); // frees the object it held
        QCOMPARE(assigned.kind(), uint32_t(PropValue::Bool));
        QVERIFY(*doc.find(u"Content")->string() == u"Local");
    }
};

QTEST_APPLESS_MAIN(TestPropValue)
#include "tst_propvalue.moc"
