// The path bar of the backup page: which texts enable "Goto...", where a go-to ends for each
// family of paths, which failures the user is shown, and the host closing the page while a
// go-to runs.
#include "BackupFixture.h"

#include "CKWLineEdit.h"
#include "CKWPushBtn.h"

#include <QPointer>
#include <QVBoxLayout>

namespace {
QStringList g_messages;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_messages << text;
}
} // namespace

using namespace backuptest;

class TestBackupGoto : public QObject
{
    Q_OBJECT
private:
    Fixture fx;
    QList<CMsgBox::Record> boxes;
    int answer = CMsgBox::Ok;
    Page page;

    CKWLineEdit* edit() const { return page.Ui()->findChild<CKWLineEdit*>(); }
    CKWPushBtn* button() const { return page.Ui()->findChild<CKWPushBtn*>(QStringLiteral("btnGoto")); }

    // Types text and presses the button when it is enabled; answers the go-to's code.
    uint32_t go(const QString& text)
    {
        edit()->setText(text);
        if (!button()->isEnabled())
            return 0xFFFFFFFF;
        QTest::mouseClick(button(), Qt::LeftButton);
        return page.Ui()->LastGotoResult();
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
        QVERIFY(page.Open(8));
        QCOMPARE(page.initResult, 0u);
        QVERIFY(edit() && button());
    }
    void init()
    {
        boxes.clear();
        answer = CMsgBox::Ok;
    }
    void cleanupTestCase()
    {
        page.module.reset();
        CMsgBox::SetAutoAnswer(nullptr);
    }

    void whichTextsEnableTheButton()
    {
        edit()->setText(QString());
        QVERIFY(!button()->isEnabled());
        edit()->setText(QStringLiteral("Q:")); // a drive pattern, even without such a drive
        QVERIFY(button()->isEnabled());
        edit()->setText(QStringLiteral("\\\\srv\\pub"));
        QVERIFY(button()->isEnabled());
        edit()->setText(QStringLiteral("plain words"));
        QVERIFY(!button()->isEnabled());
        // The validator keeps characters a path cannot hold out of the edit.
        edit()->clear();
        QTest::keyClicks(edit(), QStringLiteral("C:\\a*b?"));
        QVERIFY(!edit()->text().contains(QLatin1Char('*')));
        QVERIFY(!edit()->text().contains(QLatin1Char('?')));
    }

    void localFoldersAndDrives()
    {
        QCOMPARE(go(QStringLiteral("C:")), 0u);
        QCOMPARE(edit()->text(), QStringLiteral("C:"));
        QCOMPARE(go(QStringLiteral("c:\\work\\docs")), 0u);
        QCOMPARE(edit()->text().toUpper(), QStringLiteral("C:\\WORK\\DOCS"));
        const NodeIndex docs = page.ReachLocal("C:", {"Work", "Docs"});
        QCOMPARE(page.Ui()->CurrentNode(), docs);
        // Enter in the edit goes as well.
        edit()->setText(QStringLiteral("D:\\Data"));
        QTest::keyClick(edit(), Qt::Key_Return);
        QCOMPARE(page.Ui()->LastGotoResult(), 0u);
        QCOMPARE(edit()->text().toUpper(), QStringLiteral("D:\\DATA"));
        // Going to what the edit already shows does nothing.
        const NodeIndex before = page.Ui()->CurrentNode();
        QCOMPARE(go(edit()->text()), 0u);
        QCOMPARE(page.Ui()->CurrentNode(), before);
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
        QCOMPARE(module->InitPage(8, QSharedPointer<IUICommon>(new CBackupHostContext(page.data)), nullptr), 0u);
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

QTEST_MAIN(TestBackupGoto)
#include "tst_backupgoto.moc"
