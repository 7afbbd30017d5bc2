// Without the host's UIManager library the module still runs: pages are created and
// initialisation reports the missing service instead of crashing.
#include "IBackupRecoverUI.h"
#include "IUICommon.h"

#include "CLibLoader.h"

#include <QtTest>

class PlainContext : public IUICommon
{
};

class TestModuleWithoutHost : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("NR_HIDDEN_LIBRARIES", "UIManager,CodeLog"); }

    void pagesWorkWithoutTheUIManager()
    {
        auto create = reinterpret_cast<NRModuleCreateFn>(CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject"));
        QVERIFY(create);
        auto* ui = static_cast<IBackupRecoverUI*>(create());
        QVERIFY(ui);
        IUIWidget* w = ui->CreatePage(8, 0);
        QVERIFY(w->GetWidget());
        constexpr uint32_t kInitNoService = 0x04B0400A;
        QCOMPARE(ui->InitPage(8, QSharedPointer<IUICommon>(new PlainContext), nullptr), kInitNoService);
        ui->CreatePage(39, 0);
        QVERIFY(w->GetWidget());
        delete static_cast<ICommonUI*>(ui);
    }
};

QTEST_MAIN(TestModuleWithoutHost)
#include "tst_moduleentry_nohost.moc"
