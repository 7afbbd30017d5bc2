// The host closes a page while the page waits on a job under the sync executer: a sort of a large
// folder that the user asked for with a click on the list's header. The host's call comes from
// a queued call or a timer, through the root object, as a host makes it. The wait must not
// return into freed memory, the job must not read freed data, and the page must still go.
#include "RecoveryFixture.h"

#include "CBaseSyncExecuter.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CKWSyncObj.h"

#include <QHeaderView>
#include <QPointer>
#include <QTreeView>
#include <QVBoxLayout>

#include <atomic>

using namespace recoverytest;

namespace {

constexpr int kFiles = 3000;
// Only keeps a broken build from hanging; the job is held until the host has acted.
constexpr int kSafetyMs = 20000;

enum How { kRelease, kSecondCreatePage, kWindowDestroyed };

} // namespace

class TestCloseWhileWaiting : public QObject
{
    Q_OBJECT
private:
    Fixture fx;
    QString image;

private slots:
    void initTestCase()
    {
        QVERIFY(fx.Build());
        QVERIFY(QDir().mkpath(fx.c + "/Big"));
        QList<QPair<QByteArray, QByteArray>> members;
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray name = QByteArray::number(i).rightJustified(5, '0') + ".txt";
            fbtest::WriteFile(fx.c + "/Big/" + QString::fromLatin1(name), QByteArray(i % 97, 'x'));
            members.append({"C:/Big/" + name, QByteArray(i % 97, 'x')});
        }
        image = fx.tmp.filePath(QStringLiteral("big.tar"));
        QVERIFY(WriteImage(image, QStringLiteral("tar"), members));
        CMsgBox::SetAutoAnswer([](const CMsgBox::Record&) { return int(CMsgBox::Ok); });
    }
    void cleanupTestCase() { CMsgBox::SetAutoAnswer(nullptr); }

    void hostClosesThePageDuringASort_data()
    {
        QTest::addColumn<int>("pageId");
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("byTimer");
        for (int pageId : {8, 39}) {
            const char* page = pageId == 8 ? "backup, " : "recovery, ";
            QTest::newRow(qPrintable(page + QStringLiteral("Release from a queued call"))) << pageId << int(kRelease) << false;
            QTest::newRow(qPrintable(page + QStringLiteral("second CreatePage from a timer")))
                << pageId << int(kSecondCreatePage) << true;
            QTest::newRow(qPrintable(page + QStringLiteral("window destroyed from a queued call")))
                << pageId << int(kWindowDestroyed) << false;
        }
    }
    void hostClosesThePageDuringASort()
    {
        QFETCH(int, pageId);
        QFETCH(int, how);
        QFETCH(bool, byTimer);
        ModulePtr module = CreateModule();
        QVERIFY(module);
        QPointer<QWidget> window(new QWidget);
        module->SetParentWidget(window);
        module->CreatePage(uint64_t(pageId), 0);
        QPointer<QWidget> ui(module->GetWidget());
        QVERIFY(ui);
        (new QVBoxLayout(window))->addWidget(ui);
        auto data = std::make_shared<CHostTaskData>();
        data->imagePath = image;
        data->imageGuid = QByteArray("0123456789abcdef");
        QSharedPointer<IUICommon> context(pageId == 8 ? static_cast<IUICommon*>(new CBackupHostContext(data))
                                                      : new CFileRestoreHostContext(data));
        QCOMPARE(module->InitPage(uint64_t(pageId), context, nullptr), 0u);
        window->resize(800, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        // The large folder on show in the list.
        IFileBrower* tree = pageId == 8 ? module->BackupManager()->GetPage()->GetBrower(0)
                                        : module->RecoveryManager()->GetPage()->GetDefaultTree();
        auto* browser = static_cast<CFileBrower*>(tree);
        const QStringList path = pageId == 8 ? QStringList{CGetDataCommon::ComputerName(), "C:", "Big"}
                                             : QStringList{"C:", "Big"};
        fbtest::Settle(tree);
        const NodeIndex big = fbtest::Reach(browser, path);
        QVERIFY(big);
        fbtest::Load(browser, big);
        QCOMPARE(fbtest::Node(big)->ChildCount(), kFiles);
        tree->SelectNode(big);
        QCoreApplication::processEvents();
        QHeaderView* header = browser->Browser()->RightView()->header();
        QVERIFY(header->isVisible());

        // The sort's job is held until the host has acted, so the host's call lands in the wait.
        CKWSyncObj hostActed;
        std::atomic<bool> armed{true};
        const auto close = [&] {
            if (how == kRelease)
                module->Release();
            else if (how == kSecondCreatePage)
                module->CreatePage(uint64_t(pageId), 0);
            else
                delete window.data();
            hostActed.Set();
        };
        CBaseSyncExecuter::SetBeforeJobForTest([&] {
            if (!armed.exchange(false))
                return;
            QMetaObject::invokeMethod(
                qApp, [&] { byTimer ? QTimer::singleShot(0, close) : close(); }, Qt::QueuedConnection);
            hostActed.Wait(kSafetyMs);
        });
        const int size = 1;
        const QPoint at(header->sectionViewportPosition(size) + header->sectionSize(size) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTRY_VERIFY_WITH_TIMEOUT(hostActed.IsSet(), kSafetyMs);
        CBaseSyncExecuter::SetBeforeJobForTest(nullptr);

        // The page went once the wait was over; a second CreatePage made a fresh one.
        QTRY_VERIFY(!ui);
        QCOMPARE(module->GetWidget() != nullptr, how == kSecondCreatePage);
        module.reset();
        delete window.data();
    }
};

QTEST_MAIN(TestCloseWhileWaiting)
#include "tst_closewhilewaiting.moc"
