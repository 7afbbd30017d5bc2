// The file backup page from opening to commit: ticks become the host's filter block, network
// sources bring their credentials and locations, a smart backup asks before it leaves network
// items out, and an edited task shows and commits its stored selection again.
#include "BackupFixture.h"

#include "CCredentialRecord.h"
#include "CSelectionFilter.h"

#include <QTreeView>

using namespace backuptest;

class TestBackupRoad : public QObject
{
    Q_OBJECT
private:
    Fixture fx;
    QList<CMsgBox::Record> boxes;
    int answer = CMsgBox::Ok;

private slots:
    void initTestCase()
    {
        QVERIFY(fx.Build());
        CMsgBox::SetAutoAnswer([this](const CMsgBox::Record& r) {
            boxes << r;
            return answer;
        });
    }
    void init()
    {
        boxes.clear();
        answer = CMsgBox::Ok;
        CUIManagerProbe::ClearSentMessages();
    }
    void cleanupTestCase() { CMsgBox::SetAutoAnswer(nullptr); }

    void plainBackupHandsOverExactlyWhatWasTicked()
    {
        Page page;
        QVERIFY(page.Open(8));
        QCOMPARE(page.initResult, 0u);
        QVERIFY(page.Browser());
        // The folder tree shows the computer and the two network groups.
        auto* tree = page.Ui()->findChild<QTreeView*>(QStringLiteral("treeDirView"));
        QVERIFY(tree && tree->model());
        QCOMPARE(tree->model()->rowCount(tree->rootIndex()), 3);

        const NodeIndex work = page.ReachLocal("C:", {"Work"});
        const NodeIndex other = page.ReachLocal("C:", {"Work", "Other"});
        const NodeIndex file = page.ReachLocal("D:", {"Data", "d.txt"});
        QVERIFY(work && other && file);
        QVERIFY(page.Tick(work, Qt::Checked));
        QVERIFY(page.Tick(other, Qt::Unchecked));
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
        PropValue kinds;
        page.module->DescribeSourceKinds(0, &kinds);
        QVERIFY(*kinds.find(u"Content")->string() == u"Local");

        // Unticking everything tells the host that nothing is selected any more.
        QVERIFY(page.Tick(work, Qt::Unchecked));
        QVERIFY(page.Tick(file, Qt::Unchecked));
        QCOMPARE(CUIManagerProbe::SentPayloads(4682).last(), QByteArray(1, '\0'));
        constexpr uint32_t kNothingSelected = 0x0810420E;
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), kNothingSelected);
    }

    void oneWholeFolderProposesItsName()
    {
        Page page;
        QVERIFY(page.Open(8));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Work", "Docs"}), Qt::Checked));
        const QByteArray proposal = CUIManagerProbe::SentPayloads(4673).last();
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(proposal.constData())).toUpper(),
                 QStringLiteral("DOCS"));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Temp"}), Qt::Checked));
        const QByteArray two = CUIManagerProbe::SentPayloads(4673).last();
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(two.constData())), QStringLiteral("File Backup"));
    }

    void networkSourcesBringCredentialsAndLocations()
    {
        Page page;
        QVERIFY(page.Open(8));
        const NodeIndex projects = page.Reach({CGetDataCommon::NetworkName(), "srv", "pub", "Projects"});
        const NodeIndex nasShare = page.Reach({CGetDataCommon::NasName(), "box", "pub"});
        const NodeIndex local = page.ReachLocal("C:", {"Temp"});
        QVERIFY(projects && nasShare && local);
        QVERIFY(page.Tick(projects, Qt::Checked));
        QVERIFY(page.Tick(nasShare, Qt::Checked));
        QVERIFY(page.Tick(local, Qt::Checked));
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), 0u);

        QCOMPARE(page.data->credentials.size(), 1);
        const QByteArray records = page.data->credentials.first();
        QCOMPARE(records.size() % 1128, 0);
        QCOMPARE(records.size() / 1128, 2); // one per network entry of the block
        CCredentialRecord first;
        QVERIFY(CCredentialRecord::Decode(records.constData(), 1128, &first));
        QCOMPARE(first.user, QStringLiteral("alice"));
        QCOMPARE(first.password, QStringLiteral("s3cret"));
        QVERIFY(first.share.startsWith(QStringLiteral("\\\\srv\\pub"), Qt::CaseInsensitive));
        QCOMPARE(page.data->networkLocations.size(), 1);
        PropValue kinds;
        page.module->DescribeSourceKinds(0, &kinds);
        QVERIFY(*kinds.find(u"Content")->string() == u"Local, NAS, Network");
    }

    // A tick makes no block; a commit makes one, which its credential records and network
    // locations read too. A server ticked before its shares were listed is committed as its
    // shares; one that cannot be reached fails the commit, and the user is told which, once.
    void commitExportsOnceAndListsTickedServers()
    {
        Page page;
        QVERIFY(page.Open(8));
        const NodeIndex srv = page.Reach({CGetDataCommon::NetworkName(), "srv"});
        QVERIFY(srv && !page.Browser()->IsNodeLoaded(srv));
        const quint64 made = CSelectionFilter::ExportsMade();
        QVERIFY(page.Tick(srv, Qt::Checked));
        QVERIFY(page.Tick(page.ReachLocal("C:", {"Temp"}), Qt::Checked));
        QCOMPARE(CUIManagerProbe::SentPayloads(4682).last(), QByteArray(1, '\1'));
        QCOMPARE(CSelectionFilter::ExportsMade(), made);
        QCOMPARE(page.module->CommitSelection(8, 0, nullptr), 0u);
        QCOMPARE(CSelectionFilter::ExportsMade(), made + 1);
        QCOMPARE(Describe(Parse(page.data->filters.first())), QStringList({"C:\\TEMP", "\\\\SRV\\PUB"}));
        QCOMPARE(page.data->credentials.size(), 1);
        QCOMPARE(page.data->networkLocations.size(), 1);
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
        const NodeIndex local = page.ReachLocal("C:", {"Temp"});
        QVERIFY(page.Tick(projects, Qt::Checked));
        QVERIFY(page.Tick(local, Qt::Checked));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(CUIManagerProbe::SentPayloads(4673).last().constData())),
                 QStringLiteral("Smart Backup"));

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

    void editedTaskShowsAndCommitsItsSelectionAgain()
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
    }

    void corruptStoredSelectionOpensUnselected()
    {
        Page edit;
        QByteArray garbage = QByteArray("FLTR") + QByteArray(60, '\x7f');
        edit.data->taskFilter = garbage;
        QVERIFY(edit.Open(9));
        QCOMPARE(edit.initResult, 0u);
        QCOMPARE(edit.State(edit.ReachLocal("C:", {"Work"})), quint32(Qt::Unchecked));
        constexpr uint32_t kEditNothingSelected = 0x0D00432E;
        QCOMPARE(edit.module->CommitSelection(9, 0, nullptr), kEditNothingSelected);
    }
};

QTEST_MAIN(TestBackupRoad)
#include "tst_backuproad.moc"
