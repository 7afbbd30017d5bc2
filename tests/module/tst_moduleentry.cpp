// Drives the module as a host does: the library is loaded by name and reached only through its
// published interface headers, so a wrong slot order or dispatch rule shows up here.
#include "FakeHostContext.h"
#include "IBackupRecoverUI.h"
#include "PropValue.h"

#include "CLibLoader.h"

#include <QtTest>
#include <memory>

namespace {

IBackupRecoverUI* createModule()
{
    auto create = reinterpret_cast<NRModuleCreateFn>(CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject"));
    if (!create)
        return nullptr;
    // The root object's primary base is IBackupRecoverUI, which extends ICommonUI.
    return static_cast<IBackupRecoverUI*>(create());
}

struct ModuleDeleter
{
    void operator()(IBackupRecoverUI* p) const { delete static_cast<ICommonUI*>(p); }
};
using ModulePtr = std::unique_ptr<IBackupRecoverUI, ModuleDeleter>;

constexpr uint32_t kInitNoManager = 0x02D0400A;
constexpr uint32_t kCommitNoManager = 0x06804001;
constexpr uint32_t kBackupCommitNoFileOperation = 0x17C04001;
constexpr uint32_t kRecoveryInitNoImage = 0x0ED04001;

} // namespace

class TestModuleEntry : public QObject
{
    Q_OBJECT
private slots:
    void entryHandsOutTheRootObject()
    {
        ModulePtr ui(createModule());
        QVERIFY(ui);
        QCOMPARE(ui->QueryValue(123), int64_t(0));
        QCOMPARE(ui->QueryOption(5), int64_t(0));
        QWidget parent;
        QCOMPARE(ui->SetParentWidget(&parent), ui.get());
        IUIWidget* w = ui->CreatePage(1, 0); // not a page id: nothing is created
        QVERIFY(w);
        QCOMPARE(w->GetWidget(), nullptr);
        QCOMPARE(w->QueryState(), int64_t(0));
        QString text = QStringLiteral("untouched");
        w->GetSelectionText(&text);
        QCOMPARE(text, QStringLiteral("untouched"));
        QCOMPARE(ui->InitPage(1, QSharedPointer<IUICommon>(new PlainContext), nullptr), kInitNoManager);
        QCOMPARE(ui->CommitSelection(1, 0, nullptr), kCommitNoManager);
        ui->DescribeSourceKinds(0, nullptr);
    }

    void backupPageLifecycle()
    {
        ModulePtr ui(createModule());
        QWidget parent;
        ui->SetParentWidget(&parent);
        IUIWidget* w = ui->CreatePage(8, 0);
        QWidget* page = w->GetWidget();
        QVERIFY(page);
        QCOMPARE(page->objectName(), QStringLiteral("CFileBackupUI"));
        // The host reaches the page's message receiver through the meta-object.
        QVERIFY(page->qt_metacast("CMsgReceiver"));

        auto common = QSharedPointer<IUICommon>(new PlainContext);
        QCOMPARE(ui->InitPage(8, common, nullptr), 0u);
        // Switching to smart backup on the live page answers 0 without re-initialising.
        QCOMPARE(ui->InitPage(12, common, nullptr), 0u);
        QCOMPARE(w->GetWidget(), page);
        // A context without the file-operation interface cannot take a selection.
        QCOMPARE(ui->CommitSelection(12, 0, nullptr), kBackupCommitNoFileOperation);
        // A second CreatePage and Release, and the window going first, are proved on the backup
        // road while a go-to waits; after a Release nothing is left to commit.
        ui->Release();
        QCOMPARE(w->GetWidget(), nullptr);
        QCOMPARE(ui->CommitSelection(9, 0, nullptr), kCommitNoManager);
    }

    void plainCommitDescribesFolderSelection()
    {
        ModulePtr ui(createModule());
        ui->CreatePage(8, 0);
        auto context = QSharedPointer<FileOperationContext>::create();
        ui->InitPage(8, context, nullptr);
        PropValue doc;
        ui->CommitSelection(8, 0, &doc);
        QVERIFY(doc.find(u"Content"));
        QVERIFY(*doc.find(u"Content")->string() == u"Folder");
        QVERIFY(context->calls.contains(QStringLiteral("SetFilterState 0")));
    }

    void storedPageIdDecides()
    {
        ModulePtr ui(createModule());
        ui->CreatePage(8, 0);
        ui->CreatePage(39, 0); // both managers live; the recovery page was created last
        auto plain = QSharedPointer<IUICommon>(new PlainContext);
        // Id 9 is dispatched to the recovery manager, which finds no image interface.
        QCOMPARE(ui->InitPage(9, plain, nullptr), kRecoveryInitNoImage);
        // Id 65 reaches the backup manager even with a recovery id stored.
        QCOMPARE(ui->CommitSelection(65, 0, nullptr), kBackupCommitNoFileOperation);
    }

    void detachingTheDiskRestoreContext()
    {
        // With a live page it is proved on the recovery road; without one it is still no failure.
        ModulePtr ui(createModule());
        QCOMPARE(ui->InitPage(40, QSharedPointer<IUICommon>(), nullptr), 0u);
    }

    void releaseResetsTheFileRestoreRecord()
    {
        ModulePtr ui(createModule());
        IUIWidget* w = ui->CreatePage(37, 0); // no page for 37
        QCOMPARE(w->GetWidget(), nullptr);
        auto context = QSharedPointer<FileRestoreContext>::create();
        QCOMPARE(ui->InitPage(37, context, nullptr), kInitNoManager);
        ui->Release();
        QCOMPARE(context->calls, QStringList({"TakeRecord 1040 zero", "TakeRestoreRecord 1040 zero"}));
        context->calls.clear();
        ui->Release(); // the context was dropped by the first release
        QVERIFY(context->calls.isEmpty());
    }

    void recoveryManagerTellsTheHostWhenItGoes()
    {
        auto context = QSharedPointer<FileRestoreContext>::create();
        {
            ModulePtr ui(createModule());
            ui->CreatePage(39, 0);
            ui->InitPage(39, context, nullptr);
            context->calls.clear();
        } // destruction runs Release
        QVERIFY(context->calls.contains(QStringLiteral("NotifyRecovery ffffffff 0 0")));
        QVERIFY(context->calls.contains(QStringLiteral("TakeRestoreRecord 1040 zero")));
    }
};

QTEST_MAIN(TestModuleEntry)
#include "tst_moduleentry.moc"
