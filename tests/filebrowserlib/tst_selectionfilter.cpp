// Filter blocks of a browser: export of a real selection, the byte-exact round trip through a
// fresh browser, deepest-rule application, and refusals that leave the selection untouched.
#include "FbTestUtil.h"

#include "CFilterBlock.h"
#include "CSelectionFilter.h"

#include <QtTest>

using namespace fbtest;

namespace {

QByteArray exportOf(IFileBrower* b)
{
    void* block = nullptr;
    uint32_t size = 0, flag = 7;
    if (!b->GetFilter(&block, &size, &flag))
        return QByteArray();
    const QByteArray bytes(static_cast<const char*>(block), int(size));
    b->FreeFilter(block);
    return bytes;
}

// A browser with no data source: nothing is ever loaded into it.
IFileBrower* emptyBrowser()
{
    _CFileBrowserPara para;
    para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptImage;
    return IFileBrower::CreateInstance(&para, nullptr, nullptr);
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

} // namespace

class TestSelectionFilter : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        const QString c = m_tmp.path() + "/c";
        QDir().mkpath(c + "/Work/Docs/Old");
        QDir().mkpath(c + "/Work/Music");
        QDir().mkpath(c + "/Other");
        WriteFile(c + "/Work/Docs/r.txt", "r");
        UseIni(m_tmp.path(), QStringLiteral("[Drives]\nC=%1\n").arg(c));
    }

    void exportFollowsTheCheckMap()
    {
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles;
        QScopedPointer<IFileBrower> b(IFileBrower::CreateInstance(&para, nullptr, nullptr));
        auto* fb = static_cast<CFileBrower*>(b.data());
        Settle(b.data());
        // Nothing selected: a valid block with no entries.
        CFilterBlock empty;
        const QByteArray none = exportOf(b.data());
        QCOMPARE(empty.Parse(none.constData(), size_t(none.size())), 0u);
        QCOMPARE(empty.Count(), 0);

        const NodeIndex work = Reach(fb, {CGetDataCommon::ComputerName(), "C:", "Work"});
        const NodeIndex docs = Reach(fb, {CGetDataCommon::ComputerName(), "C:", "Work", "Docs"});
        Load(fb, docs);
        QVERIFY(b->SetNodeCheckState(work, Qt::Checked));
        QVERIFY(b->SetNodeCheckState(Child(docs, "Old"), Qt::Unchecked));

        CFilterBlock parsed;
        const QByteArray bytes = exportOf(b.data());
        QCOMPARE(parsed.Parse(bytes.constData(), size_t(bytes.size())), 0u);
        QCOMPARE(parsed.Count(), 2);
        const CFilterBlock::Entry& w = parsed.Entries().at(0);
        QCOMPARE(w.path, QStringLiteral("C:\\Work"));
        QCOMPARE(w.name, QStringLiteral("Work"));
        QCOMPARE(int(w.flags), int(CFilterBlock::kFlagFolder | CFilterBlock::kFlagWholePath));
        const CFilterBlock::Entry& o = parsed.Entries().at(1);
        QCOMPARE(o.path, QStringLiteral("C:\\Work\\Docs\\Old"));
        QVERIFY(o.IsExclusion());
        QCOMPARE(o.owner, 0u);

        // The round trip: a fresh browser that has loaded nothing gives the same bytes back.
        QScopedPointer<IFileBrower> fresh(emptyBrowser());
        QVERIFY(fresh->SetFilter(bytes.constData(), uint32_t(bytes.size())));
        QCOMPARE(exportOf(fresh.data()), bytes);
        // And once more through a loaded browser.
        QVERIFY(b->SetFilter(nullptr, 0));
        QCOMPARE(exportOf(b.data()), none);
        QVERIFY(b->SetFilter(bytes.constData(), uint32_t(bytes.size())));
        QCOMPARE(exportOf(b.data()), bytes);
        // The loaded nodes read the states the block gives them.
        QCOMPARE(fb->Model()->CheckState(work), quint32(Qt::PartiallyChecked));
        QCOMPARE(fb->Model()->CheckState(Child(docs, "r.txt")), quint32(Qt::Checked));
        QCOMPARE(fb->Model()->CheckState(Child(docs, "Old")), quint32(Qt::Unchecked));
    }

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
        QVERIFY(a->SetFilter(block.constData(), uint32_t(block.size())));
        const QByteArray first = exportOf(a.data());
        CFilterBlock parsed;
        QCOMPARE(parsed.Parse(first.constData(), size_t(first.size())), 0u);
        QCOMPARE(parsed.Count(), 5);
        QCOMPARE(parsed.Entries().at(0).path, QStringLiteral("C:\\Users\\Ann"));
        QCOMPARE(parsed.Entries().at(1).owner, 0u);
        QCOMPARE(parsed.Entries().at(2).owner, 0u);
        QCOMPARE(parsed.Entries().at(3).path, QStringLiteral("D:\\Data\\notes.TXT"));
        QCOMPARE(parsed.Entries().at(3).name, QStringLiteral("Notes"));
        QCOMPARE(int(parsed.Entries().at(3).nodeKind), 7);
        QVERIFY(!parsed.Entries().at(3).IsFolder());
        QCOMPARE(parsed.Entries().at(4).path, QStringLiteral("\\\\srv\\pub\\Team"));

        QScopedPointer<IFileBrower> b(emptyBrowser());
        QVERIFY(b->SetFilter(first.constData(), uint32_t(first.size())));
        QCOMPARE(exportOf(b.data()), first);
    }

    void deepestRuleWinsAndOwnersAreMended()
    {
        // Include C:\A, exclude C:\A\B, include C:\A\B\C again; the exclusion names the
        // deeper include as its owner (wrongly): the export attaches it to C:\A.
        const QByteArray block = blockOf({inc("C:\\A"), inc("C:\\A\\B\\C"), exc("C:\\A\\B", 1)});
        QScopedPointer<IFileBrower> b(emptyBrowser());
        QVERIFY(b->SetFilter(block.constData(), uint32_t(block.size())));
        CFilterBlock parsed;
        const QByteArray out = exportOf(b.data());
        QCOMPARE(parsed.Parse(out.constData(), size_t(out.size())), 0u);
        QCOMPARE(parsed.Count(), 3);
        QCOMPARE(parsed.Entries().at(0).path, QStringLiteral("C:\\A"));
        QCOMPARE(parsed.Entries().at(1).path, QStringLiteral("C:\\A\\B"));
        QVERIFY(parsed.Entries().at(1).IsExclusion());
        QCOMPARE(parsed.Entries().at(1).owner, 0u);
        QCOMPARE(parsed.Entries().at(2).path, QStringLiteral("C:\\A\\B\\C"));
        QVERIFY(!parsed.Entries().at(2).IsExclusion());
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
        const QByteArray selected = exportOf(b.data());
        QVERIFY(!b->SetFilter(block.constData(), uint32_t(block.size())));
        QCOMPARE(exportOf(b.data()), selected);
        QVERIFY(!b->SetFilter(block.constData(), 0));
        QCOMPARE(exportOf(b.data()), selected);
    }
};

QTEST_MAIN(TestSelectionFilter)
#include "tst_selectionfilter.moc"
