// The file recovery page from opening an image to commit: the image's tree and its selection,
// searches in a folder and in the whole image, ticked results through the host's find interface,
// what the user is told when nothing is selected or the image cannot be read, how running
// searches end, and the host closing a page while it waits on a sort.
#include "RecoveryFixture.h"

#include "CBaseSyncExecuter.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CKWSyncObj.h"

#include <QDir>
#include <QHeaderView>
#include <QVBoxLayout>

using namespace recoverytest;

namespace {

QVector<Member> sampleMembers()
{
    // A path longer than a search-selection record holds (259 units), in two legal names.
    const QByteArray deep = "C:/deep/" + QByteArray(200, 'a') + "/" + QByteArray(100, 'b') + ".docx";
    return {{"C:/Users/ann/Docs/plan.docx", "plan"}, {"C:/Users/ann/Docs/notes.txt", "n"},
            {"C:/Users/ann/old.docx", "o"},          {"C:/Users/bob/cv.docx", "cv"},
            {"D:/data/Report.DOCX", "r"},            {"D:/data/x.txt", "x"},
            {deep, "d"}};
}

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

} // namespace

class TestRecoveryRoad : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir tmp;
    QString image, bigImage;
    Fixture fx; // C: of the backup page
    QList<CMsgBox::Record> boxes;
    QStringList boxTexts;

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        image = tmp.filePath("backup.tar");
        QVERIFY(WriteImage(image, "tar", sampleMembers()));
        // A large folder, on C: and in an image.
        QVERIFY(fx.Build() && QDir().mkpath(fx.c + "/Big"));
        QVector<Member> big;
        for (int i = 0; i < 3000; ++i) {
            big.append({"C:/Big/" + QByteArray::number(i) + ".txt", QByteArray(i % 97, 'x')});
            WriteFile(fx.c + big.last().path.mid(2), big.last().content);
        }
        bigImage = tmp.filePath("large-folder.tar");
        QVERIFY(WriteImage(bigImage, "tar", big));
        CMsgBox::SetAutoAnswer([this](const CMsgBox::Record& r) {
            boxes << r;
            boxTexts << r.text;
            return int(CMsgBox::Ok);
        });
    }
    void init()
    {
        boxes.clear();
        boxTexts.clear();
        CUIManagerProbe::ClearSentMessages();
        CUIManagerProbe::ClearImageAccessorCalls();
    }
    void cleanupTestCase() { CMsgBox::SetAutoAnswer(nullptr); }

    void browseAndCommitFromTree_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("pageId");
        QTest::newRow("tar, file restore") << "tar" << 39;
        QTest::newRow("tar.gz, disk restore") << "tar.gz" << 40;
        QTest::newRow("zip") << "zip" << 39;
        QTest::newRow("7z") << "7z" << 39;
    }
    void browseAndCommitFromTree()
    {
        QFETCH(QString, kind);
        QFETCH(int, pageId);
        const QString file = tmp.filePath("image." + kind);
        QVERIFY(WriteImage(file, kind, sampleMembers()));
        RecoveryPage page;
        QVERIFY(page.Open(file, uint64_t(pageId)));
        QCOMPARE(page.initResult, 0u);
        QVERIFY(boxes.isEmpty());

        // The parameter block names the image, its GUID and the browsing options.
        const auto* para = reinterpret_cast<const _CFileBrowserPara*>(page.Manager()->BrowserPara().constData());
        QCOMPARE(QString::fromUtf8(para->imagePath), file);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(para->imageGuid), 16), page.data->imageGuid);
        QCOMPARE(para->options & 0x50F9u, 0x89u);
        QCOMPARE(int(para->byte20), pageId == 40 ? 1 : 0);
        QCOMPARE(int(para->byte21), 1);
        QCOMPARE(CUIManagerProbe::ImageAccessorCalls(), QStringList({"Create", "Start"}));

        // Loaded, the whole image is ticked and the first drive is the folder on show.
        QCOMPARE(CUIManagerProbe::SentPayloads(4675), QList<QByteArray>({QByteArray(1, '\0'), QByteArray(1, '\1')}));
        QCOMPARE(page.Tree()->GetCurrentNode(), page.Reach({"C:"}));
        QCOMPARE(page.module->CommitSelection(uint64_t(pageId), 0, nullptr), 0u);
        QCOMPARE(Describe(Parse(page.data->filters.last())), QStringList({"C:", "D:"}));
        QCOMPARE(page.data->filterStates, QList<uint32_t>{0});

        // With nothing ticked the commit is refused, and the user is told so.
        QVERIFY(page.Tree()->SetNodeCheckState(page.Tree()->GetRootIndex(), Qt::Unchecked));
        QCOMPARE(page.module->CommitSelection(uint64_t(pageId), 0, nullptr), 0x1001u);
        QCOMPARE(boxTexts, QStringList{"Please select files or folders to recover."});
        QCOMPARE(boxes[0].kind, 0);
        // The host hears of a change of the has-selection state once.
        QVERIFY(page.Tree()->SetNodeCheckState(page.Reach({"C:", "Users", "ann", "Docs"}), Qt::Checked));
        QVERIFY(page.Tree()->SetNodeCheckState(page.Reach({"D:", "data", "x.txt"}), Qt::Checked));
        QCOMPARE(CUIManagerProbe::SentPayloads(4675).size(), 4);
        QCOMPARE(page.module->CommitSelection(uint64_t(pageId), 0, nullptr), 0u);
        const CFilterBlock block = Parse(page.data->filters.last());
        QCOMPARE(Describe(block), QStringList({"C:\\USERS\\ANN\\DOCS", "D:\\DATA\\X.TXT"}));
        QVERIFY(block.Entries()[0].IsFolder() && !block.Entries()[1].IsFolder());
    }

    void searchScopesAndCommit()
    {
        RecoveryPage page;
        QVERIFY(page.Open(image));
        // "Current folder" searches the image folder on show, and only it.
        page.Tree()->SelectNode(page.Reach({"C:", "Users", "ann"}));
        page.Search("*.docx", false);
        QVERIFY(page.Ui()->IsSearchShown());
        QCOMPARE(page.Manager()->RunningSearch()->Folder(), QStringLiteral("C:\\Users\\ann\\"));
        QCOMPARE(page.Hits().keys(), QStringList({"C:\\Users\\ann\\Docs\\plan.docx", "C:\\Users\\ann\\old.docx"}));
        QVERIFY(!page.Ui()->SearchEdit()->IsSearching());

        // The same search again only re-reports what is shown.
        const QSharedPointer<CUISearchFileData> shown = page.Manager()->RunningSearch();
        page.Search("*.docx", false);
        QCOMPARE(page.Manager()->RunningSearch(), shown);

        // Choosing "All folder" runs it again over the whole image.
        page.Ui()->ScopeCombo()->setCurrentIndex(1);
        page.Ui()->OnChangeSearchType(page.Ui()->ScopeCombo()->currentText());
        page.Settle();
        QCOMPARE(page.Ui()->SearchEdit()->placeholderText(), QStringLiteral("Search for all backups"));
        const QMap<QString, int> hits = page.Hits();
        QCOMPARE(hits.size(), 5);
        // No result ticked: the commit is refused, in the words of the results.
        QCOMPARE(page.module->CommitSelection(39, 0, nullptr), 0x1001u);
        QCOMPARE(boxTexts, QStringList{"Select files to recover"});
        QCOMPARE(boxes[0].kind, 2);
        QVERIFY(page.data->searchSelections.isEmpty());

        // Ticked results go to the host as a search selection; a path too long for its record is
        // left out whole rather than cut into the path of another item.
        const QString deep = hits.keys().filter("\\deep\\").value(0);
        QVERIFY(deep.size() > 259);
        QVERIFY(page.Tick("C:\\Users\\ann\\Docs\\plan.docx"));
        QVERIFY(page.Tick(deep));
        QCOMPARE(CUIManagerProbe::SentPayloads(4675).last(), QByteArray(1, '\1'));
        QCOMPARE(page.module->CommitSelection(39, 0, nullptr), 0u);
        QCOMPARE(page.data->searchSelections.size(), 1);
        QCOMPARE(Describe(Parse(page.data->filters.last())), QStringList({"C:\\USERS\\ANN\\DOCS\\PLAN.DOCX"}));
        QCOMPARE(page.data->generatedBlocksOut, 0);

        // Clearing the search box shows the image's tree again, and its state.
        page.Ui()->SearchEdit()->OnClear();
        QVERIFY(!page.Ui()->IsSearchShown());
        QCOMPARE(page.module->CommitSelection(39, 0, nullptr), 0u);
        QCOMPARE(Describe(Parse(page.data->filters.last())), QStringList({"C:", "D:"}));
    }

    void searchTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hits"); // -1: no search starts
        QTest::addColumn<bool>("refused");
        for (const char* illegal : {"a:b", "a\\b", "a/b", "<x", "x>", "a|b"})
            QTest::newRow(illegal) << QString::fromLatin1(illegal) << -1 << true;
        QTest::newRow("empty") << QString() << -1 << false;
        QTest::newRow("no wildcard finds names containing it") << QStringLiteral("DOC") << 6 << false;
        QTest::newRow("1,000 characters") << QString(1000, 'x') << 0 << false;
    }
    void searchTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, hits);
        QFETCH(bool, refused);
        RecoveryPage page;
        QVERIFY(page.Open(image));
        page.Search(text, true);
        QCOMPARE(boxTexts, refused ? QStringList{"The input contains illegal characters."} : QStringList());
        QCOMPARE(page.Manager()->RunningSearch().isNull(), hits < 0);
        if (hits >= 0)
            QCOMPARE(page.Hits().size(), hits);
    }

    void unreadableImagesAreSaid_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // written unless the name is missing or a folder
        QTest::addColumn<int>("kind");
        QFile f(image);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        QTest::newRow("missing") << "missing.tar" << QByteArray() << 3;
        QTest::newRow("a folder") << "folder.tar" << QByteArray() << 3;
        QTest::newRow("truncated") << "cut.tar" << whole.left(700) << 3;
        QTest::newRow("not an image") << "garbage.tar" << QByteArray(4096, '\x5A') << 3;
        QTest::newRow("empty image") << "empty.tar" << QByteArray(10240, '\0') << 0;
    }
    void unreadableImagesAreSaid()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        const QString file = tmp.filePath(name);
        if (name.startsWith("folder"))
            QDir().mkpath(file);
        else if (!bytes.isEmpty())
            WriteFile(file, bytes);
        RecoveryPage page;
        QVERIFY(page.Open(file));
        QCOMPARE(page.initResult, 0u);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].kind, kind);
        QVERIFY(boxes[0].extra.value(0).contains(file));
        QCOMPARE(boxes[0].extra.value(0).contains("Error code: 0x"), kind == 3);
        // Nothing to restore, and the page says so.
        QCOMPARE(page.module->CommitSelection(39, 0, nullptr), 0x1001u);
        page.Search("*", true);
        QVERIFY(page.Hits().isEmpty());
        QVERIFY(!page.Ui()->SearchEdit()->IsSearching());
    }

    // A context without the image interface gets the same code; the module entry's tests show it.
    void initWithoutImage_data()
    {
        QTest::addColumn<int>("pageId");
        QTest::addColumn<QString>("path");
        QTest::newRow("page 41") << 41 << image;
        QTest::newRow("empty path") << 39 << QString();
        QTest::newRow("absurd length") << 39 << QString(40000, 'x');
    }
    void initWithoutImage()
    {
        QFETCH(int, pageId);
        QFETCH(QString, path);
        ModulePtr module = CreateModule();
        auto data = std::make_shared<CHostTaskData>();
        data->imagePath = path;
        module->CreatePage(uint64_t(pageId), 0);
        QCOMPARE(module->InitPage(uint64_t(pageId), QSharedPointer<IUICommon>(new CFileRestoreHostContext(data)), nullptr),
                 CFileRecoveryLogicMgr::kInitNoImage);
        // The trees were made all the same; nothing browses.
        const CFileRecoveryLogicMgr* manager = module->RecoveryManager();
        QVERIFY(manager->IsPrepared() && manager->GetPage()->GetDefaultTree() && manager->GetPage()->GetSearchTree());
        QVERIFY(!manager->ImageAccessor());
    }

    void newSearchEndsTheRunningOneAndCallsMayComeMeanwhile()
    {
        QVector<Member> members;
        for (int i = 0; i < 200000; ++i)
            members.append({"C:/big/d" + QByteArray::number(i / 1000) + "/f" + QByteArray::number(i) + ".txt", ""});
        const QString big = tmp.filePath("big.tar");
        QVERIFY(WriteImage(big, "tar", members));
        RecoveryPage page;
        QVERIFY(page.Open(big));
        CBaseSyncExecuter::SetWaiterDelay(0);

        page.Ui()->ScopeCombo()->setCurrentIndex(1);
        page.Ui()->SearchEdit()->setText("*");
        page.Ui()->SearchEdit()->OnSearch();
        const QSharedPointer<CUISearchFileData> first = page.Manager()->RunningSearch();
        QVERIFY(first);
        // The point is the calls that arrive while a running search is waited for; a search that
        // already ended is not waited for, and then there is nothing to see here.
        if (first->IsFinished())
            QSKIP("the first search ended before the second began");
        // Calls that arrive while the running search is waited for: a search of their own, a
        // commit and a detach. None may lock up on the search lock.
        bool reentered = false;
        uint32_t commit = 0;
        QTimer::singleShot(0, [&] { reentered = true; });
        QMetaObject::invokeMethod(page.Manager(), "OnSearch", Qt::QueuedConnection, Q_ARG(bool, true),
                                  Q_ARG(QString, big), Q_ARG(QString, QString()), Q_ARG(QString, "*.txt"));
        QTimer::singleShot(0, [&] { commit = page.module->CommitSelection(39, 0, nullptr); });
        QTimer::singleShot(0, [&] { page.Manager()->Uinit(); });
        page.Ui()->SearchEdit()->setText("f1*");
        page.Ui()->SearchEdit()->OnSearch();
        CBaseSyncExecuter::SetWaiterDelay(300);

        if (!reentered) {
            // Nothing ran during the second search's start: the first ended before it was waited
            // for. Let the queued calls run, so they do not outlive what they refer to.
            QTRY_VERIFY(reentered && commit != 0);
            page.Settle();
            QSKIP("the first search ended before it was waited for");
        }
        QVERIFY(first->IsFinished());
        QCOMPARE(commit, 0x1001u);
        const QSharedPointer<CUISearchFileData> kept = page.Manager()->RunningSearch();
        QVERIFY(kept && kept != first);
        page.Settle();
        QVERIFY(!page.Ui()->SearchEdit()->IsSearching());
        QCOMPARE(page.Hits().size(), kept->HitCount());
        QVERIFY(kept->HitCount() > 0);
    }

    void searchesGiveTheirThreadsBackAndDetachEndsThem()
    {
        RecoveryPage page;
        QVERIFY(page.Open(image, 40));
        page.Search("*.txt", true);
        const int before = threadCount();
        for (int i = 0; i < 50; ++i)
            page.Search(i % 2 ? "*.txt" : "*.docx", true);
        QVERIFY2(threadCount() <= before + 2, qPrintable(QString::number(threadCount() - before)));

        // The host's disk-restore view detaches the page: the search and the image accessor end.
        page.Search("*", true);
        QCOMPARE(page.module->InitPage(40, QSharedPointer<IUICommon>(), nullptr), 0u);
        QVERIFY(page.Manager()->RunningSearch()->IsFinished());
        QCOMPARE(CUIManagerProbe::ImageAccessorCalls(), QStringList({"Create", "Start", "Stop", "Destroy"}));
        QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 0);
    }

    // The host closes the page (Release, a second CreatePage, its window destroyed) from a queued
    // call or a timer while the page waits on the sort the user asked for with a click on the
    // list's header. The job is held until the host has acted. Nothing freed is touched, the job
    // reads no freed data, and the page goes once the wait is over.
    void hostClosesThePageDuringASort_data()
    {
        QTest::addColumn<int>("pageId");
        QTest::addColumn<int>("how");
        for (int pageId : {8, 39}) {
            QTest::addRow("page %d, Release (queued call)", pageId) << pageId << 0;
            QTest::addRow("page %d, second CreatePage (timer)", pageId) << pageId << 1;
            QTest::addRow("page %d, window destroyed (queued call)", pageId) << pageId << 2;
        }
    }
    void hostClosesThePageDuringASort()
    {
        QFETCH(int, pageId);
        QFETCH(int, how);
        ModulePtr module = CreateModule();
        QPointer<QWidget> window(new QWidget);
        module->SetParentWidget(window);
        module->CreatePage(uint64_t(pageId), 0);
        QPointer<QWidget> ui(module->GetWidget());
        (new QVBoxLayout(window))->addWidget(ui);
        auto data = std::make_shared<CHostTaskData>();
        data->imagePath = bigImage;
        QSharedPointer<IUICommon> context(pageId == 8 ? static_cast<IUICommon*>(new CBackupHostContext(data))
                                                      : new CFileRestoreHostContext(data));
        QCOMPARE(module->InitPage(uint64_t(pageId), context, nullptr), 0u);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* tree = static_cast<CFileBrower*>(pageId == 8 ? module->BackupManager()->GetPage()->GetBrower(0)
                                                           : module->RecoveryManager()->GetPage()->GetDefaultTree());
        Settle(tree);
        const NodeIndex big = Reach(tree, (pageId == 8 ? QStringList{CGetDataCommon::ComputerName()} : QStringList())
                                              + QStringList{"C:", "Big"});
        QVERIFY(big);
        Load(tree, big);
        QCOMPARE(Node(big)->ChildCount(), 3000);
        tree->SelectNode(big);
        QCoreApplication::processEvents();

        CKWSyncObj acted;
        std::atomic<bool> armed{true};
        const auto close = [&] {
            if (how == 0)
                module->Release();
            else if (how == 1)
                module->CreatePage(uint64_t(pageId), 0);
            else
                delete window.data();
            acted.Set();
        };
        CBaseSyncExecuter::SetBeforeJobForTest([&] {
            if (armed.exchange(false)) {
                QMetaObject::invokeMethod(qApp, [&] { how == 1 ? QTimer::singleShot(0, close) : close(); },
                                          Qt::QueuedConnection);
                acted.Wait(20000);
            }
        });
        QHeaderView* header = tree->Browser()->RightView()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QTRY_VERIFY(acted.IsSet());
        CBaseSyncExecuter::SetBeforeJobForTest(nullptr);
        QTRY_VERIFY(!ui);
        QCOMPARE(module->GetWidget() != nullptr, how == 1);
        module.reset();
        delete window.data();
    }
};

QTEST_MAIN(TestRecoveryRoad)
#include "tst_recoveryroad.moc"
