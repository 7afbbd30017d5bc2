#include "CBaseSyncExecuter.h"
#include "CKWSyncObj.h"
#include "CKWUISyncWaiter.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <stdexcept>
#include <thread>

namespace {

// Generous bound for waits that normally end at once; it only keeps a broken build from hanging.
constexpr int kSafetyMs = 20000;

class LambdaExecuter : public CBaseSyncExecuter
{
public:
    LambdaExecuter(std::function<qint64()> job, const QString& text = QString(), CKWSyncObj* sync = nullptr)
        : CBaseSyncExecuter(nullptr, text, sync), m_job(std::move(job))
    {
    }

protected:
    qint64 doJob() override { return m_job(); }

private:
    std::function<qint64()> m_job;
};

struct Check
{
    unsigned int code = 0;
    unsigned int Run() const { return code; }
};

QList<CKWUISyncWaiter*> visibleWaiters()
{
    QList<CKWUISyncWaiter*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* waiter = qobject_cast<CKWUISyncWaiter*>(w))
            if (waiter->isVisible())
                found << waiter;
    return found;
}

} // namespace

// Most waits below end only once a timer of the GUI thread has fired during them: that the GUI
// loop runs while the job does is proved by each of them.
class TestSyncExecuter : public QObject
{
    Q_OBJECT
private slots:
    void init() { CBaseSyncExecuter::SetWaiterDelay(300); }

    void returnsTheJobsResultFromAnotherThread()
    {
        std::thread::id jobThread;
        LambdaExecuter big([&] {
            jobThread = std::this_thread::get_id();
            return Q_INT64_C(0x123456789A);
        });
        QCOMPARE(big.execute(), Q_INT64_C(0x123456789A));
        QVERIFY(jobThread != std::this_thread::get_id());
        QVERIFY(big.isNeedDelete());

        // An unsigned 32-bit result code keeps its value (no sign extension).
        Check check{0x8000000Fu};
        CSyncExecuterT0<QObject, Check, unsigned int (Check::*)() const> t0(nullptr, QString(), this, &check,
                                                                             &Check::Run);
        QCOMPARE(t0.execute(), Q_INT64_C(0x8000000F));
        CSyncExecuterT0<QObject, Check, unsigned int (Check::*)() const> noJob(nullptr, QString(), this, nullptr,
                                                                               &Check::Run);
        QCOMPARE(noJob.execute(), Q_INT64_C(-1));

        // A job that throws ends as a failed result instead of taking the process down.
        LambdaExecuter throwing([]() -> qint64 { throw std::runtime_error("job failed"); });
        QCOMPARE(throwing.execute(), Q_INT64_C(-1));

        // The executer can be run again.
        int runs = 0;
        LambdaExecuter twice([&] { return qint64(++runs); });
        QCOMPARE(twice.execute(), Q_INT64_C(1));
        QCOMPARE(twice.execute(), Q_INT64_C(2));
    }

    void instantJobNeverShowsTheWaiter()
    {
        CBaseSyncExecuter::SetWaiterDelay(60000);
        LambdaExecuter exec([] { return qint64(5); }, QStringLiteral("Loading"));
        QCOMPARE(exec.execute(), Q_INT64_C(5));
        QVERIFY(!exec.WaiterShown());
        QVERIFY(visibleWaiters().isEmpty());
    }

    void slowJobShowsTheWaiterWithItsTextAndRemovesIt()
    {
        CBaseSyncExecuter::SetWaiterDelay(0);
        CKWSyncObj waiterSeen;
        QTimer poll;
        QString seenText;
        connect(&poll, &QTimer::timeout, this, [&] {
            const auto waiters = visibleWaiters();
            if (!waiters.isEmpty()) {
                seenText = waiters.first()->waitingText();
                QVERIFY(waiters.first()->isModal());
                waiterSeen.Set();
            }
        });
        poll.start(5);
        LambdaExecuter exec([&] { return qint64(waiterSeen.Wait(kSafetyMs) ? 1 : 0); }, QStringLiteral("Loading"));
        QCOMPARE(exec.execute(), Q_INT64_C(1));
        poll.stop();
        QVERIFY(exec.WaiterShown());
        QCOMPARE(seenText, QStringLiteral("Loading"));
        QVERIFY(visibleWaiters().isEmpty());
    }

    void userInputIsDroppedWhileWaiting()
    {
        // Clicks on a window that was open when the wait began are dropped; a window opened
        // during the wait (a prompt on behalf of the job) takes them.
        QPushButton before(QStringLiteral("Go"));
        before.show();
        QVERIFY(QTest::qWaitForWindowExposed(&before));
        int beforeClicks = 0;
        int promptClicks = 0;
        connect(&before, &QPushButton::clicked, this, [&] { ++beforeClicks; });

        CKWSyncObj clicked;
        QTimer::singleShot(0, this, [&] {
            QTest::mouseClick(&before, Qt::LeftButton);
            QPushButton prompt(QStringLiteral("Sign in"));
            connect(&prompt, &QPushButton::clicked, this, [&] { ++promptClicks; });
            prompt.show();
            QTest::mouseClick(&prompt, Qt::LeftButton);
            clicked.Set();
        });
        LambdaExecuter exec([&] { return qint64(clicked.Wait(kSafetyMs) ? 1 : 0); });
        QCOMPARE(exec.execute(), Q_INT64_C(1));
        QCOMPARE(beforeClicks, 0);
        QCOMPARE(promptClicks, 1);

        QTest::mouseClick(&before, Qt::LeftButton);
        QCOMPARE(beforeClicks, 1);
    }

    void nestedExecutersBothReturn()
    {
        // The inner executer runs from a timer inside the outer one's wait. The outer job ends
        // first (while the inner one still runs); both calls must still return their own results.
        CKWSyncObj innerStarted;
        CKWSyncObj outerDone;
        qint64 inner = -2;
        QTimer::singleShot(0, this, [&] {
            LambdaExecuter innerExec([&] {
                innerStarted.Set();
                return qint64(outerDone.Wait(kSafetyMs) ? 7 : 0);
            });
            inner = innerExec.execute();
        });
        LambdaExecuter outer([&] { return qint64(innerStarted.Wait(kSafetyMs) ? 3 : 0); }, QString(), &outerDone);
        QCOMPARE(outer.execute(), Q_INT64_C(3));
        QCOMPARE(inner, Q_INT64_C(7));
        QVERIFY(outerDone.IsSet());
    }
};

QTEST_MAIN(TestSyncExecuter)
#include "tst_syncexecuter.moc"
