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

// Runs one host over `arguments`, lets `work` act on its window, then presses OK.
bool runAndConfirm(const QStringList& arguments, const std::function<void(CDemoWindow*)>& work, QString* out)
{
    QTextStream text(out), errors(out);
    CDemoOptions options;
    QString error;
    if (!options.Parse(QStringList{QStringLiteral("demohost")} + arguments, &error))
        return false;
    CDemoHost host(options, text, errors);
    CDemoWindow* window = host.Start() ? hostWindow() : nullptr;
    if (!window)
        return false;
    work(window);
    QMetaObject::invokeMethod(window, "DoOk");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

QByteArray storedLogins(const QString& taskFile)
{
    CDemoTask task;
    QString error;
    return task.Load(taskFile, &error) ? task.credentials : QByteArray();
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
    QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("c"))) && QDir().mkpath(tmp.filePath(QStringLiteral("pub/Docs"))));
    const QString ini = tmp.filePath(QStringLiteral("default.ini"));
    QFile iniFile(ini);
    QVERIFY(iniFile.open(QIODevice::WriteOnly));
    iniFile.write(QStringLiteral("[Drives]\nC=%1/c\n[Network]\n\\\\srv\\pub=%1/pub\n\\\\srv\\pub|login=ask\n")
                      .arg(tmp.path()).toUtf8());
    iniFile.close();
    const QString task = tmp.filePath(QStringLiteral("task.json"));
    CShareLoginDialog::SetTestInput([](const QString&, QString* user, QString* password) {
        *user = QStringLiteral("bob");
        *password = QStringLiteral("typed");
    });

    // A new task: the share asks for its login on the way to Docs, which is then ticked.
    QString out;
    QVERIFY(runAndConfirm({QStringLiteral("--page"), QStringLiteral("8"), QStringLiteral("--task"), task,
                           QStringLiteral("--ini"), ini},
                          [](CDemoWindow* window) {
                              window->findChild<CKWLineEdit*>()->setText(QStringLiteral("\\\\srv\\pub\\Docs"));
                              QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnGoto")), Qt::LeftButton);
                              auto* browser = window->findChild<CBrower*>();
                              browser->GetModel()->SetNodeData(browser->GetCurrentNode(), Qt::Checked, Qt::CheckStateRole);
                          },
                          &out));
    QVERIFY2(out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(out));
    QCOMPARE(m_boxes.size(), 1); // the login prompt
    const QByteArray typed = storedLogins(task);
    CCredentialRecord record;
    QVERIFY(CCredentialRecord::Decode(typed.constData(), size_t(typed.size()), &record));
    QCOMPARE(record.user, QStringLiteral("bob"));

    // Editing it without touching the share keeps the login the tree of this run never learnt.
    out.clear();
    m_boxes.clear();
    QVERIFY(runAndConfirm({QStringLiteral("--page"), QStringLiteral("9"), QStringLiteral("--task"), task,
                           QStringLiteral("--ini"), ini},
                          [](CDemoWindow*) {}, &out));
    QVERIFY2(out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(out));
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(storedLogins(task), typed);
}

QTEST_MAIN(TestDemoHostFlow)
#include "tst_demohostflow.moc"
