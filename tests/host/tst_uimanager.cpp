#include "CLibLoader.h"
#include "CUIManagerProbe.h"
#include "IMsgHub.h"
#include "IObjectCreator.h"
#include "IUIManager.h"
#include "IUIService.h"

#include <QtTest>

namespace {
// Loaded by name, as the module does it.
IUIManager* manager()
{
    auto create = reinterpret_cast<NRUIManagerCreateFn>(CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    return create ? create() : nullptr;
}
} // namespace

class TestUIManager : public QObject
{
    Q_OBJECT
private slots:
    void oneManagerPerProcess();
    void objectCreatorRefusals();
};

void TestUIManager::oneManagerPerProcess()
{
    IUIManager* m = manager();
    QVERIFY(m);
    QCOMPARE(manager(), m);
    QVERIFY(m->GetHub() && m->GetService() && m->GetObjectCreator());
    QCOMPARE(m->GetGlobalUIData()->uiManager, m);
}

// The accessor's whole life through the module is proved by the recovery page's road test; here
// what that road never does: ids it does not know, a failing creation, and a second Stop.
void TestUIManager::objectCreatorRefusals()
{
    QVERIFY(manager());
    IObjectCreator* creator = manager()->GetObjectCreator();
    void* out = reinterpret_cast<void*>(0x1);
    QVERIFY(creator->CreateObject(52, &out) != 0);
    QVERIFY(!out);
    QVERIFY(creator->CreateObject(IObjectCreator::kImageAccessor, nullptr) != 0);
    CUIManagerProbe::SetObjectCreationFails(true);
    QVERIFY(creator->CreateObject(IObjectCreator::kImageAccessor, &out) != 0);
    QVERIFY(!out);
    CUIManagerProbe::SetObjectCreationFails(false);
    QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 0);

    QCOMPARE(creator->CreateObject(IObjectCreator::kImageAccessor, &out), uint32_t(0));
    auto* accessor = static_cast<IImageAccessor*>(out);
    QCOMPARE(accessor->Start(), uint32_t(0));
    QCOMPARE(accessor->Stop(), uint32_t(0));
    QVERIFY(accessor->Stop() != 0); // nothing left to stop
    delete accessor;
    QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 0);
}

QTEST_GUILESS_MAIN(TestUIManager)
#include "tst_uimanager.moc"
