// The 783-byte network location record: layout, cutting of long texts, refusal of bad records.
#include "CNetLocationRecord.h"

#include <QtTest>

class TestNetLocationRecord : public QObject
{
    Q_OBJECT
private slots:
    void layoutAndRoundTrip()
    {
        const CNetLocationRecord r(CNetLocationRecord::kKindNasShare, "\\\\nas1\\media", "NAS:\\\\box\\media");
        const QByteArray bytes = r.Encode();
        QCOMPARE(bytes.size(), 783);
        QCOMPARE(int(bytes[0]), 2);
        QCOMPARE(bytes[3], '\\');
        QCOMPARE(bytes[4], '\0');
        QCOMPARE(bytes[523], 'N');
        CNetLocationRecord back;
        QVERIFY(CNetLocationRecord::Decode(bytes.constData(), size_t(bytes.size()), &back));
        QVERIFY(back == r);

        const QList<CNetLocationRecord> list{r, CNetLocationRecord(CNetLocationRecord::kKindMappedDrive, "\\\\s\\p", "Z:")};
        const QByteArray joined = CNetLocationRecord::EncodeList(list) + QByteArray(100, '\0');
        QCOMPARE(CNetLocationRecord::DecodeList(joined.constData(), size_t(joined.size())), list);
    }

    void longTextsAreCutKeepingTheTerminator()
    {
        // 300 characters ending in a surrogate pair that would straddle the field's end.
        QString location(258, QLatin1Char('a'));
        location += QString::fromUcs4(U"\U0001F600");
        location += QString(40, QLatin1Char('b'));
        const QByteArray bytes = CNetLocationRecord(1, location, QString()).Encode();
        CNetLocationRecord back;
        QVERIFY(CNetLocationRecord::Decode(bytes.constData(), size_t(bytes.size()), &back));
        QCOMPARE(back.location, QString(258, QLatin1Char('a')));
    }

    void badRecordsAreRefused()
    {
        QByteArray good = CNetLocationRecord(1, "\\\\s\\p", "\\\\s\\p").Encode();
        CNetLocationRecord out;
        QVERIFY(!CNetLocationRecord::Decode(good.constData(), 782, &out));
        QVERIFY(!CNetLocationRecord::Decode(nullptr, 783, &out));
        QByteArray kind = good;
        kind[0] = 9;
        QVERIFY(!CNetLocationRecord::Decode(kind.constData(), 783, &out));
        QByteArray reserved = good;
        reserved[2] = 1;
        QVERIFY(!CNetLocationRecord::Decode(reserved.constData(), 783, &out));
        QByteArray noTerminator = good;
        for (int i = 523; i < 783; ++i)
            noTerminator[i] = 'x';
        QVERIFY(!CNetLocationRecord::Decode(noTerminator.constData(), 783, &out));
        // A list skips the bad record and keeps the good one.
        const QByteArray list = kind + good;
        QCOMPARE(CNetLocationRecord::DecodeList(list.constData(), size_t(list.size())).size(), 1);
    }
};

QTEST_MAIN(TestNetLocationRecord)
#include "tst_netlocationrecord.moc"
