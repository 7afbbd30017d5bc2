#include "CDemoHost.h"
#include "CDemoOptions.h"
#include "CDemoWindow.h"

#include <QApplication>
#include <QtTest>

// The demo host's window flow, in process: OK commits and keeps the page while the commit fails;
// closing the window releases the module and ends the event loop.
class TestDemoHostFlow : public QObject
{
    Q_OBJECT
private slots:
    void failedCommitKeepsPageAndCloseReleases();
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

    // Nothing is selected: the commit fails and the user stays on the page.
    QMetaObject::invokeMethod(window, "DoOk");
    QVERIFY(text.contains(QLatin1String("CommitSelection 0x")));
    QVERIFY(!text.contains(QLatin1String("CommitSelection 0x00000000")));
    QVERIFY(window->isVisible());

    // Closing is the host's decision: the page is released, then the window goes.
    QPointer<QWidget> page = window->PageArea()->findChildren<QWidget*>().value(0);
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(page.isNull());
    QTRY_VERIFY(!hostWindow());
}

QTEST_MAIN(TestDemoHostFlow)
#include "tst_demohostflow.moc"
