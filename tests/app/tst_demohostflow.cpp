#include "CBrower.h"
#include "CCredentialRecord.h"
#include "CDemoHost.h"
#include "CDemoOptions.h"
#include "CDemoTask.h"
#include "CDemoWindow.h"
#include "CFileSystemModel.h"
#include "CKWLineEdit.h"
#include "CMsgBox.h"
#include "CShareLoginDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

// The demo host's window flow, in process: OK commits, keeps the page while the commit fails and
// tells the user why; closing the window releases the module and ends the event loop; a share
// login typed while a task was made survives editing the task.
class TestDemoHostFlow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void failedCommitKeepsPageAndCloseReleases();
    void typedShareLoginSurvivesAnEdit();

private:
    QList<CMsgBox::Record> m_boxes;
};

namespace {
CDemoWindow* hostWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<CDemoWindow*>(w))
            return window;
    return nullptr;
}
} // namespace

void TestDemoHostFlow::init()
{
    m_boxes.clear();
    CMsgBox::SetAutoAnswer([this](const CMsgBox::Record& r) {
        m_boxes << r;
        return int(CMsgBox::Ok);
    });
}

void TestDemoHostFlow::cleanup()
{
    CMsgBox::SetAutoAnswer(nullptr);
    CShareLoginDialog::SetTestInput(nullptr);
}

void TestDemoHostFlow::failedCommitKeepsPageAndCloseReleases()
{
    QString text;
    QTextStream out(&text);
    QString errors;
    QTextStream err(&errors);
    CDemoOptions options;
    QString error;
    QVERIFY(options.Parse({QStringLiteral("demohost"), QStringLiteral("--page"), QStringLiteral("8")}, &error));

    CDemoHost host(options, out, err);
    QVERIFY2(host.Start(), qPrintable(errors));
    QCOMPARE(text, QStringLiteral("InitPage 0x00000000\n"));
    CDemoWindow* window = hostWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->PageArea()->findChildren<QWidget*>().isEmpty());

    // Nothing is selected: the commit fails, the user is told why and stays on the page.
    QMetaObject::invokeMethod(window, "DoOk");
    QVERIFY(text.contains(QLatin1String("CommitSelection 0x0810420E")));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().kind, 3);
    QCOMPARE(m_boxes.first().text, QStringLiteral("Please select file or folder to back up."));
    QVERIFY(errors.contains(m_boxes.first().text));
    QVERIFY(window->isVisible());

    // Closing is the host's decision: the page is released, then the window goes.
    QPointer<QWidget> page = window->PageArea()->findChildren<QWidget*>().value(0);
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(page.isNull());
    QTRY_VERIFY(!hostWindow());
}

void TestDemoHostFlow::typedShareLoginSurvivesAnEdit()
{
    QTemporaryDir tmp;
    QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("pub/Docs"))));
    const QString ini = tmp.filePath(QStringLiteral("default.ini")), task = tmp.filePath(QStringLiteral("task.json"));
    QFile iniFile(ini);
    QVERIFY(iniFile.open(QIODevice::WriteOnly));
    iniFile.write(QStringLiteral("[Network]\n\\\\srv\\pub=%1/pub\n\\\\srv\\pub|login=ask\n").arg(tmp.path()).toUtf8());
    iniFile.close();
    CShareLoginDialog::SetTestInput([](const QString&, QString* user, QString* password) {
        *user = QStringLiteral("bob");
        *password = QStringLiteral("typed");
    });
    // A new task, whose share asks for its login on the way to Docs, then an edit of it that
    // does not go near the share: its tree never learns the login.
    for (const QString& page : {QStringLiteral("8"), QStringLiteral("9")}) {
        QString text, error;
        QTextStream out(&text);
        CDemoOptions options;
        QVERIFY(options.Parse({QStringLiteral("demohost"), QStringLiteral("--page"), page, QStringLiteral("--task"), task,
                               QStringLiteral("--ini"), ini}, &error));
        CDemoHost host(options, out, out);
        QVERIFY2(host.Start(), qPrintable(text));
        CDemoWindow* window = hostWindow();
        if (page == QLatin1String("8")) {
            window->findChild<CKWLineEdit*>()->setText(QStringLiteral("\\\\srv\\pub\\Docs"));
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnGoto")), Qt::LeftButton);
            auto* browser = window->findChild<CBrower*>();
            browser->GetModel()->SetNodeData(browser->GetCurrentNode(), Qt::Checked, Qt::CheckStateRole);
        }
        QMetaObject::invokeMethod(window, "DoOk");
        QVERIFY2(text.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(text));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCOMPARE(m_boxes.size(), 1); // the login prompt of the first run
    CDemoTask stored;
    QString error;
    CCredentialRecord record;
    QVERIFY(stored.Load(task, &error));
    QVERIFY(CCredentialRecord::Decode(stored.credentials.constData(), size_t(stored.credentials.size()), &record));
    QCOMPARE(record.user, QStringLiteral("bob"));
    QCOMPARE(record.password, QStringLiteral("typed"));
}

QTEST_MAIN(TestDemoHostFlow)
#include "tst_demohostflow.moc"
