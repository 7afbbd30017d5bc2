// Without the host's UIManager library the module still runs: pages are created,
// initialisation reports the missing service instead of crashing, and a go-to that fails with a
// code nobody has a text for still tells the user which path it could not reach.
#include "FakeHostContext.h"
#include "IBackupRecoverUI.h"

#include "CLibLoader.h"
#include "CMsgBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

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

        QWidget* page = w->GetWidget();
        page->findChild<QLineEdit*>()->setText(QStringLiteral("C:\\x"));
        QList<CMsgBox::Record> boxes;
        CMsgBox::SetAutoAnswer([&boxes](const CMsgBox::Record& r) {
            boxes << r;
            return int(CMsgBox::Ok);
        });
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("btnGoto")), Qt::LeftButton);
        CMsgBox::SetAutoAnswer(nullptr);
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().text.contains(QStringLiteral("C:\\x")), qPrintable(boxes.first().text));

        ui->CreatePage(39, 0);
        QVERIFY(w->GetWidget());
        delete static_cast<ICommonUI*>(ui);
    }
};

QTEST_MAIN(TestModuleWithoutHost)
#include "tst_moduleentry_nohost.moc"
