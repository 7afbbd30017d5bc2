#include "CLibLoader.h"
#include "CUIManagerProbe.h"
#include "IMsgHub.h"
#include "IObjectCreator.h"
#include "IUIManager.h"
#include "IUIService.h"

#include <QtTest>

class TestUIManager : public QObject
{
    Q_OBJECT
private slots:
    void oneManagerPerProcess();
    void imageAccessorLifeIsRecorded();
    void objectCreatorRefusals();
};

void TestUIManager::oneManagerPerProcess()
{
    // Loaded by name, as the module does it.
    auto create = reinterpret_cast<NRUIManagerCreateFn>(CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    QVERIFY(create);
    IUIManager* m = create();
    QVERIFY(m);
    QCOMPARE(create(), m);
    QVERIFY(m->GetHub() && m->GetService() && m->GetObjectCreator());
    QCOMPARE(m->GetGlobalUIData()->uiManager, m);
    QCOMPARE(m->GetHub(), m->GetHub());
}

void TestUIManager::imageAccessorLifeIsRecorded()
{
    auto create = reinterpret_cast<NRUIManagerCreateFn>(CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    QVERIFY(create);
    IObjectCreator* creator = create()->GetObjectCreator();
    CUIManagerProbe::ClearImageAccessorCalls();
    void* out = nullptr;
    QCOMPARE(creator->CreateObject(IObjectCreator::kImageAccessor, &out), uint32_t(0));
    auto* accessor = static_cast<IImageAccessor*>(out);
    QVERIFY(accessor);
    QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 1);
    QCOMPARE(accessor->Start(), uint32_t(0));
    QCOMPARE(accessor->Stop(), uint32_t(0));
    QVERIFY(accessor->Stop() != 0); // nothing left to stop
    delete accessor;
    QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 0);
    QCOMPARE(CUIManagerProbe::ImageAccessorCalls(),
             (QStringList{QStringLiteral("Create"), QStringLiteral("Start"), QStringLiteral("Stop"),
                          QStringLiteral("Stop"), QStringLiteral("Destroy")}));
}

void TestUIManager::objectCreatorRefusals()
{
    auto create = reinterpret_cast<NRUIManagerCreateFn>(CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    QVERIFY(create);
    IObjectCreator* creator = create()->GetObjectCreator();
    void* out = reinterpret_cast<void*>(0x1);
    QVERIFY(creator->CreateObject(52, &out) != 0);
    QVERIFY(!out);
    QVERIFY(creator->CreateObject(IObjectCreator::kImageAccessor, nullptr) != 0);
    CUIManagerProbe::SetObjectCreationFails(true);
    QVERIFY(creator->CreateObject(IObjectCreator::kImageAccessor, &out) != 0);
    QVERIFY(!out);
    CUIManagerProbe::SetObjectCreationFails(false);
    QCOMPARE(CUIManagerProbe::LiveImageAccessors(), 0);
}

QTEST_GUILESS_MAIN(TestUIManager)
#include "tst_uimanager.moc"
