// The file backup page from opening to commit: ticks become the host's filter block, network
// sources bring their credentials and locations, a smart backup asks before it leaves network
// items out, an edited task shows and commits its stored selection again; and its path bar: which
// texts enable "Goto...", where a go-to ends for each family of paths, which failures the user is
// shown, and the host closing the page while a go-to runs.
#include "BackupFixture.h"

#include "CCredentialRecord.h"
#include "CKWLineEdit.h"
#include "CKWPushBtn.h"
#include "CSelectionFilter.h"

#include <QPointer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
QStringList g_messages;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_messages << text;
}

// The task name last proposed to the host.
QString proposal()
{
    const QList<QByteArray> sent = CUIManagerProbe::SentPayloads(4673);
    return sent.isEmpty() ? QString() : QString::fromUtf16(reinterpret_cast<const char16_t*>(sent.last().constData()));
}
} // namespace

using namespace backuptest;

class TestBackupRoad : public QObject
{
    Q_OBJECT
private:
    Fixture fx;
    QList<CMsgBox::Record> boxes;
    int answer = CMsgBox::Ok;
    Page bar; // one page whose path bar the go-to cases share

    CKWLineEdit* edit() const { return bar.Ui()->findChild<CKWLineEdit*>(); }
    CKWPushBtn* button() const { return bar.Ui()->findChild<CKWPushBtn*>(QStringLiteral("btnGoto")); }

    // Types text and presses the button when it is enabled; answers the go-to's code.
    uint32_t go(const QString& text)
    {
        edit()->setText(text);
        if (!button()->isEnabled())
            return 0xFFFFFFFF;
        QTest::mouseClick(button(), Qt::LeftButton);
        return bar.Ui()->LastGotoResult();
    }
    QList<CMsgBox::Record> errorBoxes() const
    {
        QList<CMsgBox::Record> out;
        for (const CMsgBox::Record& r : boxes)
            if (r.kind == 3)
                out << r;
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(fx.Build());
        // A walk that waits on a folder which never reports its end gives up after this long.
        CFileBackupUI::SetWalkTimeoutForTest(5000);
        CMsgBox::SetAutoAnswer([this](const CMsgBox::Record& r) {
            boxes << r;
            return answer;
        });
        QVERIFY(bar.Open(8));
        QCOMPARE(bar.initResult, 0u);
        QVERIFY(edit() && button());
    }
    void init()
    {
        boxes.clear();
        answer = CMsgBox::Ok;
        CUIManagerProbe::ClearSentMessages();
    }
    void cleanupTestCase()
    {
        bar.module.reset();
        CMsgBox::SetAutoAnswer(nullptr);
    }

    void plainBackupHandsOverExactlyWhatWasTicked()
    {
        Page page;
        QVERIFY(page.Open(8));
        QCOMPARE(page.initResult, 0u);
        // The folder tree shows the computer and the two network groups.
        auto* tree = page.Ui()->findChild<QTreeView*>(QStringLiteral("treeDirView"));
        QVERIFY(tree && tree->model());
        QCOMPARE(tree->model()->rowCount(tree->rootIndex()), 3);

        const NodeIndex work = page.ReachLocal("C:", {"Work"});
        const NodeIndex file = page.ReachLocal("D:", {"Data", "d.txt"});
        QVERIFY(work && file);
        QVERIFY(page.Tick(work, Qt::Checked));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Work", "Other"}), Qt::Unchecked));
        QVERIFY(page.Tick(file, Qt::Checked));
        QCOMPARE(page.State(work), quint32(Qt::PartiallyChecked));
        QCOMPARE(page.State(page.ReachLocal("C:", {"Work", "Docs"})), quint32(Qt::Checked));

        // The host heard that something is selected, and a task name was proposed.
        const QList<QByteArray> hasSelection = CUIManagerProbe::SentPayloads(4682);
        QVERIFY(!hasSelection.isEmpty());
        QCOMPARE(hasSelection.last(), QByteArray(1, '\1'));
        QVERIFY(!CUIManagerProbe::SentPayloads(4673).isEmpty());
        QCOMPARE(CUIManagerProbe::SentPayloads(4673).last().size(), 520);

        PropValue doc;
        QCOMPARE(page.module->CommitSelection(8, 0, &doc), 0u);
        QVERIFY(*doc.find(u"Content")->string() == u"Folder");
        QCOMPARE(page.data->filters.size(), 1);
        const CFilterBlock block = Parse(page.data->filters.first());
        QCOMPARE(Describe(block), QStringList({"C:\\WORK", "-C:\\WORK\\OTHER>C:\\WORK", "D:\\DATA\\D.TXT"}));
        QVERIFY(block.Entries()[0].IsFolder());
        QVERIFY(!block.Entries()[2].IsFolder());
        // Local sources need no credentials.
        QVERIFY(page.data->credentials.isEmpty());

        QString text;
        page.module->GetSelectionText(&text);
        QCOMPARE(text.toUpper(), QStringLiteral("WORK, D.TXT"));

        // Unticking everything tells the host that nothing is selected any more.
        QVERIFY(page.Tick(work, Qt::Unchecked));
        QVERIFY(page.Tick(file, Qt::Unchecked));
        QCOMPARE(CUIManagerProbe::SentPayloads(4682).last(), QByteArray(1, '\0'));
        constexpr uint32_t kNothingSelected = 0x0810420E;
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), kNothingSelected);

        // One whole folder proposes its own name; two, the generic one.
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Work", "Docs"}), Qt::Checked));
        QCOMPARE(proposal().toUpper(), QStringLiteral("DOCS"));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Temp"}), Qt::Checked));
        QCOMPARE(proposal(), QStringLiteral("File Backup"));
    }

    // A tick makes no block; a commit makes one, which its credential records and network
    // locations read too. A server ticked before its shares were listed is committed as its
    // shares; one that cannot be reached fails the commit, and the user is told which, once.
    void networkSourcesBringCredentialsAndLocations()
    {
        Page page;
        QVERIFY(page.Open(8));
        const NodeIndex srv = page.Reach({CGetDataCommon::NetworkName(), "srv"});
        QVERIFY(srv && !page.Browser()->IsNodeLoaded(srv));
        const quint64 made = CSelectionFilter::ExportsMade();
        QVERIFY(page.Tick(srv, Qt::Checked));
        QVERIFY(page.Tick(page.Reach({CGetDataCommon::NasName(), "box", "pub"}), Qt::Checked));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Temp"}), Qt::Checked));
        QCOMPARE(CUIManagerProbe::SentPayloads(4682).last(), QByteArray(1, '\1'));
        QCOMPARE(CSelectionFilter::ExportsMade(), made);
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), 0u);
        QCOMPARE(CSelectionFilter::ExportsMade(), made + 1);
        QCOMPARE(Describe(Parse(page.data->filters.first())), QStringList({"C:\\TEMP", "NAS:\\\\BOX\\PUB", "\\\\SRV\\PUB"}));

        QCOMPARE(page.data->credentials.size(), 1);
        const QByteArray records = page.data->credentials.first();
        QCOMPARE(records.size(), 2 * 1128); // a record per network entry of the block
        CCredentialRecord first;
        QVERIFY(CCredentialRecord::Decode(records.constData(), 1128, &first));
        QCOMPARE(first.user, QStringLiteral("alice"));
        QCOMPARE(first.password, QStringLiteral("s3cret"));
        QVERIFY(first.share.startsWith(QStringLiteral("\\\\srv\\pub"), Qt::CaseInsensitive));
        QCOMPARE(page.data->networkLocations.size(), 1);
        PropValue kinds;
        page.module->DescribeSourceKinds(0, &kinds);
        QVERIFY(*kinds.find(u"Content")->string() == u"Local, NAS, Network");
        QVERIFY(boxes.isEmpty());

        QVERIFY(page.Tick(page.Reach({CGetDataCommon::NetworkName(), "gone"}), Qt::Checked));
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), NRResult::kNothingSelectedShown);
        QCOMPARE(page.data->filters.size(), 1);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().text.contains("\\\\gone"), qPrintable(boxes.first().text));
    }

    void smartBackupAsksBeforeLeavingNetworkItemsOut()
    {
        Page page;
        QVERIFY(page.Open(12));
        const NodeIndex projects = page.Reach({CGetDataCommon::NetworkName(), "srv", "pub", "Projects"});
        QVERIFY(page.Tick(projects, Qt::Checked));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Temp"}), Qt::Checked));
        QCOMPARE(proposal(), QStringLiteral("Smart Backup"));

        answer = CMsgBox::Cancel;
        constexpr uint32_t kCancelled = 0x18E0401A;
        QCOMPARE(page.module->CommitSelection(12, 0, nullptr), kCancelled);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().dialog, QStringLiteral("CSmartFilterPage"));
        QCOMPARE(boxes.first().extra.size(), 1);
        // Projects is all of the host's only share, so the host itself reads as checked.
        QVERIFY2(boxes.first().extra.first().startsWith(QStringLiteral("\\\\srv"), Qt::CaseInsensitive),
                 qPrintable(boxes.first().extra.first()));
        QCOMPARE(page.State(projects), quint32(Qt::Checked)); // cancelling keeps every check
        QVERIFY(page.data->filters.isEmpty());

        answer = CMsgBox::Ok;
        QCOMPARE(page.module->CommitSelection(12, 0, nullptr), 0u);
        QCOMPARE(page.State(projects), quint32(Qt::Unchecked));
        QCOMPARE(Describe(Parse(page.data->filters.last())), QStringList({"C:\\TEMP"}));
        QVERIFY(page.data->credentials.isEmpty());
        QCOMPARE(page.data->sourceDescriptions.last().toUpper(), QStringLiteral("TEMP"));
        // The smart commit kept a copy, which a re-apply (70) puts back on the page.
        QVERIFY(!page.Manager()->SavedFilter().isEmpty());
        QCOMPARE(page.module->CommitSelection(70, 0, nullptr), 0u);

        // Without network items nothing is asked.
        boxes.clear();
        QCOMPARE(page.module->CommitSelection(12, 0, nullptr), 0u);
        QVERIFY(boxes.isEmpty());
    }

    void editedTaskShowsAndCommitsItsStoredSelection()
    {
        QByteArray stored;
        {
            Page page;
            QVERIFY(page.Open(8));
            QVERIFY(page.Tick(page.ReachLocal("C:", {"Work"}), Qt::Checked));
            QVERIFY(page.Tick(page.ReachLocal("C:", {"Work", "Other"}), Qt::Unchecked));
            QVERIFY(page.Tick(page.ReachLocal("D:", {"Data"}), Qt::Checked));
            QCOMPARE(page.module->CommitSelection(8, 0, nullptr), 0u);
            stored = page.data->filters.last();
        }
        Page edit;
        edit.data->taskFilter = stored;
        QVERIFY(edit.Open(9));
        QCOMPARE(edit.initResult, 0u);
        QCOMPARE(edit.State(edit.ReachLocal("C:", {"Work"})), quint32(Qt::PartiallyChecked));
        QCOMPARE(edit.State(edit.ReachLocal("C:", {"Work", "Other"})), quint32(Qt::Unchecked));
        QCOMPARE(edit.State(edit.ReachLocal("C:", {"Work", "Docs"})), quint32(Qt::Checked));
        QCOMPARE(edit.State(edit.ReachLocal("D:", {"Data"})), quint32(Qt::Checked));
        QCOMPARE(edit.module->CommitSelection(9, 0, nullptr), 0u);
        QCOMPARE(edit.data->filters.last(), stored);

        // A corrupt stored selection opens unselected.
        Page corrupt;
        corrupt.data->taskFilter = QByteArray("FLTR") + QByteArray(60, '\x7f');
        QVERIFY(corrupt.Open(9));
        QCOMPARE(corrupt.initResult, 0u);
        QCOMPARE(corrupt.State(corrupt.ReachLocal("C:", {"Work"})), quint32(Qt::Unchecked));
        constexpr uint32_t kEditNothingSelected = 0x0D00432E;
        QCOMPARE(corrupt.module->CommitSelection(9, 0, nullptr), kEditNothingSelected);
    }

    void whichTextsEnableTheButton()
    {
        // A drive pattern enables it even without such a drive; text that is no path does not.
        const QList<QPair<QString, bool>> texts{{"", false}, {"Q:", true}, {"\\\\srv\\pub", true}, {"plain words", false}};
        for (const auto& text : texts) {
            edit()->setText(text.first);
            QVERIFY2(button()->isEnabled() == text.second, qPrintable(text.first));
        }
        // The validator keeps characters a path cannot hold out of the edit.
        edit()->clear();
        QTest::keyClicks(edit(), QStringLiteral("C:\\a*b?"));
        QCOMPARE(edit()->text(), QStringLiteral("C:\\ab"));
    }

    void localFoldersAndDrives()
    {
        QCOMPARE(go(QStringLiteral("C:")), 0u);
        QCOMPARE(edit()->text(), QStringLiteral("C:"));
        QCOMPARE(go(QStringLiteral("c:\\work\\docs")), 0u);
        QCOMPARE(edit()->text().toUpper(), QStringLiteral("C:\\WORK\\DOCS"));
        QCOMPARE(bar.Ui()->CurrentNode(), bar.ReachLocal("C:", {"Work", "Docs"}));
        // Enter in the edit goes as well.
        edit()->setText(QStringLiteral("D:\\Data"));
        QTest::keyClick(edit(), Qt::Key_Return);
        QCOMPARE(bar.Ui()->LastGotoResult(), 0u);
        QCOMPARE(edit()->text().toUpper(), QStringLiteral("D:\\DATA"));
        // Going to what the edit already shows does nothing.
        const NodeIndex before = bar.Ui()->CurrentNode();
        QCOMPARE(go(edit()->text()), 0u);
        QCOMPARE(bar.Ui()->CurrentNode(), before);
        QVERIFY(boxes.isEmpty());
    }

    void rejectedTextsAreShown()
    {
        constexpr uint32_t kInvalidPath = 0x2E304075;
        constexpr uint32_t kBadComponent = 0x24D04075;
        QCOMPARE(go(QStringLiteral("C:\\Work\\Docs ")), kBadComponent);
        QCOMPARE(go(QStringLiteral("\\\\")), kInvalidPath);
        QCOMPARE(go(QStringLiteral("\\\\.\\PhysicalDrive0")), kInvalidPath);
        QCOMPARE(go(QStringLiteral("C:\\") + QString(257, QLatin1Char('a'))), kInvalidPath); // 260 characters
        QCOMPARE(go(QStringLiteral("NAS://box:1/pub")), kInvalidPath);
        QCOMPARE(errorBoxes().size(), 5);
        QVERIFY(!edit()->isReadOnly());
    }

    void missingFolderAsksAndGivingUpSaysSo()
    {
        constexpr uint32_t kDeclined = 0x1940401A;
        answer = CMsgBox::Cancel;
        // 259 characters pass the length rule; the folder does not exist, so the user is asked.
        QCOMPARE(go(QStringLiteral("C:\\") + QString(256, QLatin1Char('a'))), kDeclined);
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().kind, 0);
        QCOMPARE(boxes.first().buttons, int(CMsgBox::OkCancel));
        QVERIFY(boxes.first().text.startsWith(QStringLiteral("Cannot find specified folder")));
        // Agreeing walks on; the folder is not there, and the user is told which path failed.
        boxes.clear();
        answer = CMsgBox::Ok;
        QCOMPARE(go(QStringLiteral("C:\\Nope")), uint32_t(CFileBackupUI::kNotFound));
        QCOMPARE(errorBoxes().size(), 1);
        QVERIFY(errorBoxes().first().text.contains(QStringLiteral("C:\\Nope")));
        // So is a walk that runs out of time (here at once) on a folder still loading (Temp).
        boxes.clear();
        CFileBackupUI::SetWalkTimeoutForTest(-1);
        QCOMPARE(go(QStringLiteral("C:\\Temp\\Later")), uint32_t(CFileBackupUI::kNotFound));
        CFileBackupUI::SetWalkTimeoutForTest(5000);
        QCOMPARE(errorBoxes().size(), 1);
        QVERIFY(errorBoxes().first().text.contains(QStringLiteral("C:\\Temp\\Later")));
        // A drive that does not exist at all is a failure of its own.
        boxes.clear();
        QVERIFY(NRResult::Failed(go(QStringLiteral("Q:\\x"))));
        QCOMPARE(errorBoxes().size(), 1);
    }

    // The host closes the page while the go-to waits for C:\Work to load, through the root
    // object as a host does: the page goes once the go-to notices, nothing is selected, and
    // nothing of it is touched after it is freed.
    void hostClosesThePageDuringAGoTo_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Release") << 0;
        QTest::newRow("second CreatePage") << 1;
        QTest::newRow("parent window destroyed") << 2;
    }
    void hostClosesThePageDuringAGoTo()
    {
        QFETCH(int, how);
        ModulePtr module = CreateModule();
        QPointer<QWidget> window(new QWidget);
        module->SetParentWidget(window);
        module->CreatePage(8, 0);
        QPointer<CFileBackupUI> ui(module->BackupManager()->GetPage());
        (new QVBoxLayout(window))->addWidget(ui);
        // Opening the page leaves no complaint about a style sheet on the terminal.
        g_messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
        QCOMPARE(module->InitPage(8, QSharedPointer<IUICommon>(new CBackupHostContext(bar.data)), nullptr), 0u);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        qInstallMessageHandler(previous);
        QVERIFY2(g_messages.filter(QStringLiteral("stylesheet"), Qt::CaseInsensitive).isEmpty(), qPrintable(g_messages.join('\n')));
        Settle(ui->GetBrower(0));
        ui->findChild<CKWLineEdit*>()->setText(QStringLiteral("C:\\Work\\Docs"));
        QTimer::singleShot(0, [&] {
            QVERIFY(ui->IsBusy());
            if (how == 0)
                module->Release();
            else if (how == 1)
                module->CreatePage(8, 0);
            else
                window->deleteLater(); // as a host does with its window
        });
        QTest::mouseClick(ui->findChild<CKWPushBtn*>(QStringLiteral("btnGoto")), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!ui);
        QCOMPARE(module->GetWidget() != nullptr, how == 1);
        QVERIFY(errorBoxes().isEmpty());
        module.reset();
        delete window.data();
    }
};

QTEST_MAIN(TestBackupRoad)
#include "tst_backuproad.moc"
