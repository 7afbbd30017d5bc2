#include "RoundTrip.h"

#include "CBrower.h"
#include "CCredentialRecord.h"
#include "CDemoTask.h"
#include "CKWLineEdit.h"
#include "CShareLoginDialog.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using roundtrip::HostWindow;
using roundtrip::LocalHost;

// The demo host's window flow, in process: OK commits, keeps the page while the commit fails and
// tells the user why; closing the window releases the module and ends the event loop; a share
// login typed while a task was made survives editing the task. And the whole road from ticks in
// the backup page to files restored from the image, over random trees and random clicks
// (bench/app/restore_roundtrip_long runs many more seeds).
class TestDemoHostFlow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void failedCommitKeepsPageAndCloseReleases_data();
    void failedCommitKeepsPageAndCloseReleases();
    void typedShareLoginSurvivesAnEdit();
    void roundTrip_data();
    void roundTrip();

private:
    QList<CMsgBox::Record> m_boxes;
};

void TestDemoHostFlow::init()
{
    // Nobody is there to read a message box: each is recorded and answered with OK.
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

// Without --lang the texts are the module's own, byte for byte; with --lang de the shipped
// translations beside the binaries turn the page, the host's window and the box German.
void TestDemoHostFlow::failedCommitKeepsPageAndCloseReleases_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("gotoText");
    QTest::addColumn<QString>("sizeHeader");
    QTest::newRow("source language") << QString() << QStringLiteral("Please select file or folder to back up.")
                                     << QStringLiteral("Goto...") << QStringLiteral("Size");
    QTest::newRow("German") << QStringLiteral("de")
                            << QStringLiteral("Bitte wählen Sie eine Datei oder einen Ordner zum Sichern aus.")
                            << QStringLiteral("Gehe zu...") << QStringLiteral("Größe");
}

void TestDemoHostFlow::failedCommitKeepsPageAndCloseReleases()
{
    QFETCH(QString, language);
    QFETCH(QString, boxText);
    QStringList arguments{QStringLiteral("--page"), QStringLiteral("8")};
    if (!language.isEmpty())
        arguments << QStringLiteral("--lang") << language;
    LocalHost local;
    const QString why = local.Start(arguments);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY2(local.err.isEmpty(), qPrintable(local.err)); // every translation file was found
    QCOMPARE(local.out, QStringLiteral("InitPage 0x00000000\n"));
    CDemoWindow* window = HostWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->PageArea()->findChildren<QWidget*>().isEmpty());
    auto* gotoButton = window->findChild<QPushButton*>(QStringLiteral("btnGoto"));
    QVERIFY(gotoButton);
    QTEST(gotoButton->text(), "gotoText");
    auto* browser = window->findChild<CBrower*>();
    QVERIFY(browser);
    QTEST(browser->GetModel()->GetItemModel()->headerData(CFileSystemModel::SizeColumn, Qt::Horizontal).toString(),
          "sizeHeader");

    // Nothing is selected: the commit fails, the user is told why and stays on the page.
    QMetaObject::invokeMethod(window, "DoOk");
    QVERIFY(local.out.contains(QLatin1String("CommitSelection 0x0810420E")));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().kind, 3);
    QCOMPARE(m_boxes.first().text, boxText);
    QVERIFY(local.err.contains(m_boxes.first().text));
    QVERIFY(window->isVisible());

    // Closing is the host's decision: the page is released, then the window goes.
    QPointer<QWidget> page = window->PageArea()->findChildren<QWidget*>().value(0);
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(page.isNull());
    QTRY_VERIFY(!HostWindow());
}

void TestDemoHostFlow::typedShareLoginSurvivesAnEdit()
{
    QTemporaryDir tmp;
    QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("pub/Docs"))));
    const QString ini = tmp.filePath(QStringLiteral("default.ini")), task = tmp.filePath(QStringLiteral("task.json"));
    QVERIFY(WriteTestFile(ini, QStringLiteral("[Network]\n\\\\srv\\pub=%1/pub\n\\\\srv\\pub|login=ask\n").arg(tmp.path()).toUtf8()));
    CShareLoginDialog::SetTestInput([](const QString&, QString* user, QString* password) {
        *user = QStringLiteral("bob");
        *password = QStringLiteral("typed");
    });
    // A new task (its file not there yet), whose share asks for its login on the way to Docs, then
    // an edit of it that does not go near the share: its tree never learns the login.
    for (const QString& page : {QStringLiteral("8"), QStringLiteral("9")}) {
        LocalHost local;
        const QString why = local.Start({QStringLiteral("--page"), page, QStringLiteral("--task"), task, QStringLiteral("--ini"), ini});
        QVERIFY2(why.isEmpty(), qPrintable(why));
        CDemoWindow* window = HostWindow();
        if (page == QLatin1String("8")) {
            window->findChild<CKWLineEdit*>()->setText(QStringLiteral("\\\\srv\\pub\\Docs"));
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnGoto")), Qt::LeftButton);
            auto* browser = window->findChild<CBrower*>();
            browser->GetModel()->SetNodeData(browser->GetCurrentNode(), Qt::Checked, Qt::CheckStateRole);
        }
        QMetaObject::invokeMethod(window, "DoOk");
        QVERIFY2(local.out.contains(QLatin1String("CommitSelection 0x00000000")), qPrintable(local.out + local.err));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QCOMPARE(m_boxes.size(), 1); // the login prompt of the first run
    CDemoTask stored;
    QString error;
    CCredentialRecord record;
    QVERIFY(stored.Load(task, &error));
    QCOMPARE(stored.guid.size(), 16); // made when the new task was first saved
    QVERIFY(CCredentialRecord::Decode(stored.credentials.constData(), size_t(stored.credentials.size()), &record));
    QCOMPARE(record.user, QStringLiteral("bob"));
    QCOMPARE(record.password, QStringLiteral("typed"));
}

void TestDemoHostFlow::roundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {11u, 29u, 47u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestDemoHostFlow::roundTrip()
{
    QFETCH(quint32, seed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    roundtrip::Run run(dir.path(), seed, 40);
    QVERIFY2(run.MakeTree(), qPrintable(run.Why()));
    QVERIFY2(run.Backup(6), qPrintable(run.Why()));
    QVERIFY2(run.Restore(5, false), qPrintable(run.Why()));
    QVERIFY2(run.Restore(3, true), qPrintable(run.Why()));
}

QTEST_MAIN(TestDemoHostFlow)
#include "tst_demohostflow.moc"
