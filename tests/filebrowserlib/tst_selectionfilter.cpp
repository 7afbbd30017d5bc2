// Filter blocks of a browser: the byte-exact round trip of blocks naming what was never loaded,
// deepest-rule application, and refusals that leave the selection untouched. (Selections ticked
// on loaded folders go round in the randomized model check and the backup page's edited task.)
#include "FbTestUtil.h"

#include <QtTest>

using namespace fbtest;

namespace {

// A browser with no data source: nothing is ever loaded into it.
IFileBrower* emptyBrowser()
{
    return NewBrowser(CFileBrower::kOptCheckBoxes | CFileBrower::kOptImage);
}

QByteArray blockOf(const QList<CFilterBlock::Entry>& entries)
{
    CFilterBlock b;
    for (const CFilterBlock::Entry& e : entries)
        b.Append(e);
    return b.ToByteArray();
}

CFilterBlock::Entry inc(const QString& path, bool folder = true)
{
    CFilterBlock::Entry e;
    e.flags = CFilterBlock::kFlagWholePath | (folder ? CFilterBlock::kFlagFolder : 0);
    e.path = path;
    e.name = path.mid(path.lastIndexOf('\\') + 1);
    e.nodeKind = 34;
    return e;
}

CFilterBlock::Entry exc(const QString& path, uint32_t owner)
{
    CFilterBlock::Entry e = inc(path);
    e.flags |= CFilterBlock::kFlagExclude;
    e.owner = owner;
    return e;
}

// A browser's exported selection, an entry a line: "path", or "-path>owner" for an exclusion.
QStringList describe(IFileBrower* b)
{
    QStringList out;
    const CFilterBlock block = Selection(b);
    for (const CFilterBlock::Entry& e : block.Entries())
        out << (e.IsExclusion() ? QStringLiteral("-%1>%2").arg(e.path).arg(e.owner) : e.path);
    return out;
}

} // namespace

class TestSelectionFilter : public QObject
{
    Q_OBJECT
private slots:
    void unloadedPathsKeepTheirCaseAndNames()
    {
        // Several includes on other drives and the network, some with exclusions, in an order
        // that is not the path order: the export puts them in the check map's order.
        CFilterBlock::Entry file = inc("D:\\Data\\notes.TXT", false);
        file.name = "Notes";
        file.nodeKind = 7;
        const QByteArray block = blockOf({inc("\\\\srv\\pub\\Team"), file, inc("C:\\Users\\Ann"),
                                          exc("C:\\Users\\Ann\\AppData", 2), exc("C:\\Users\\Ann\\Temp", 2)});
        QScopedPointer<IFileBrower> a(emptyBrowser());
        // Nothing selected: a valid block with no entries.
        const QByteArray none = ExportOf(a.data());
        CFilterBlock empty;
        QCOMPARE(empty.Parse(none.constData(), size_t(none.size())), 0u);
        QCOMPARE(empty.Count(), 0);
        QVERIFY(a->SetFilter(block.constData(), uint32_t(block.size())));
        QCOMPARE(describe(a.data()), QStringList({"C:\\Users\\Ann", "-C:\\Users\\Ann\\AppData>0", "-C:\\Users\\Ann\\Temp>0",
                                                  "D:\\Data\\notes.TXT", "\\\\srv\\pub\\Team"}));
        const CFilterBlock::Entry notes = Selection(a.data()).Entries().at(3);
        QCOMPARE(notes.name, QStringLiteral("Notes"));
        QCOMPARE(int(notes.nodeKind), 7);
        QVERIFY(!notes.IsFolder());

        // Read into a fresh browser, the block exports as the same bytes.
        const QByteArray first = ExportOf(a.data());
        QScopedPointer<IFileBrower> b(emptyBrowser());
        QVERIFY(b->SetFilter(first.constData(), uint32_t(first.size())));
        QCOMPARE(ExportOf(b.data()), first);
    }

    void deepestRuleWinsAndOwnersAreMended()
    {
        // Include C:\A, exclude C:\A\B, include C:\A\B\C again; the exclusion names the
        // deeper include as its owner (wrongly): the export attaches it to C:\A.
        const QByteArray block = blockOf({inc("C:\\A"), inc("C:\\A\\B\\C"), exc("C:\\A\\B", 1)});
        QScopedPointer<IFileBrower> b(emptyBrowser());
        QVERIFY(b->SetFilter(block.constData(), uint32_t(block.size())));
        QCOMPARE(describe(b.data()), QStringList({"C:\\A", "-C:\\A\\B>0", "C:\\A\\B\\C"}));
    }

    void badBlocksAreRefusedWhole_data()
    {
        QTest::addColumn<QByteArray>("block");
        // Any block the reader refuses (its cases are the reader's own tests) and blocks that
        // read but cannot stand for a selection.
        const QByteArray good = blockOf({inc("C:\\Keep"), exc("C:\\Keep\\Out", 0)});
        QTest::newRow("truncated") << good.left(good.size() - 6);
        QTest::newRow("orphan exclusion") << blockOf({inc("C:\\Keep"), exc("D:\\Elsewhere", 0)});
        QTest::newRow("same path twice") << blockOf({inc("C:\\Keep"), inc("c:\\Keep")});
        QTest::newRow("empty path") << blockOf({inc(QString())});
        CFilterBlock types;
        types.SetSelectionType(CFilterBlock::kSelectFileTypes);
        types.Append(inc("C:\\Keep"));
        QTest::newRow("file types") << types.ToByteArray();
    }

    void badBlocksAreRefusedWhole()
    {
        QFETCH(QByteArray, block);
        QScopedPointer<IFileBrower> b(emptyBrowser());
        const QByteArray before = blockOf({inc("C:\\Old"), exc("C:\\Old\\Tmp", 0)});
        QVERIFY(b->SetFilter(before.constData(), uint32_t(before.size())));
        const QByteArray selected = ExportOf(b.data());
        QVERIFY(!b->SetFilter(block.constData(), uint32_t(block.size())));
        QCOMPARE(ExportOf(b.data()), selected);
        QVERIFY(!b->SetFilter(block.constData(), 0));
        QCOMPARE(ExportOf(b.data()), selected);
    }
};

QTEST_MAIN(TestSelectionFilter)
#include "tst_selectionfilter.moc"
