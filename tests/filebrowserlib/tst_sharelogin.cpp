// Logins of shares marked "|login=ask": the data source asks once through its login dialog,
// holds what was typed for the browser's credential slot, denies on cancel, re-asks after a
// wrong password, never asks when a login is configured, and asks on the GUI thread when the
// check runs on a sync executer's worker.
#include "FbTestUtil.h"

#include "CBaseSyncExecuter.h"
#include "CKWPopWnd.h"
#include "CMsgBox.h"
#include "CShareLoginDialog.h"

#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace fbtest;

namespace {

// The check a page runs under its sync executer.
struct CheckJob
{
    CGetDataCommon* source;
    QString path;
    uint32_t Run() const { return source->CheckNetworkPath(path, false); }
};

} // namespace

class TestShareLogin : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    IFileBrower* m_b = nullptr;
    CFileBrower* B() const { return static_cast<CFileBrower*>(m_b); }
    CGetDataCommon* Source() const { return B()->GetDataSource().data(); }

    QList<CMsgBox::Record> m_asked;
    QList<bool> m_askedOnGui;

    // Every dialog is answered with `button`; the login dialog gets user and password typed
    // (the password per attempt, the last one repeating).
    void Answer(int button, const QString& user, const QStringList& passwords)
    {
        CShareLoginDialog::SetTestInput([this, user, passwords](const QString&, QString* u, QString* p) {
            *u = user;
            const int n = m_asked.size();
            *p = passwords.isEmpty() ? QString() : passwords.at(qMin(n, passwords.size() - 1));
        });
        CMsgBox::SetAutoAnswer([this, button](const CMsgBox::Record& r) {
            m_asked.append(r);
            m_askedOnGui.append(QThread::currentThread() == qApp->thread());
            return button;
        });
    }

    NodeIndex ShareNode(const QString& share)
    {
        return Reach(B(), {CGetDataCommon::NetworkName(), QStringLiteral("srv"), share});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        for (const char* dir : {"/c", "/pub/Docs", "/sec/Docs", "/cfg/Docs", "/open/Docs"})
            QVERIFY(QDir().mkpath(m_tmp.path() + dir));
        UseIni(m_tmp.path(), QStringLiteral("[Drives]\nC=%1/c\nP=\\\\srv\\pub\n"
                                            "[Network]\n"
                                            "\\\\srv\\pub=%1/pub\n\\\\srv\\pub|login=ask\n"
                                            "\\\\srv\\sec=%1/sec\n\\\\srv\\sec|login=ASK\n"
                                            "\\\\srv\\sec|password=open=sesame\n"
                                            "\\\\srv\\cfg=%1/cfg\n\\\\srv\\cfg|login=ask\n"
                                            "\\\\srv\\cfg|user=carol\n\\\\srv\\cfg|password=c\n"
                                            "\\\\srv\\open=%1/open\n\\\\srv\\open|login=never\n")
                                 .arg(m_tmp.path()));
    }

    void init()
    {
        m_b = NewBrowser(CFileBrower::kOptNetworkGroups | CFileBrower::kOptFiles);
        QVERIFY(m_b);
        m_asked.clear();
        m_askedOnGui.clear();
    }

    void cleanup()
    {
        CMsgBox::SetAutoAnswer(CMsgBox::AnswerFn());
        CShareLoginDialog::SetTestInput(CShareLoginDialog::InputFn());
        delete m_b;
        m_b = nullptr;
    }

    void cleanupTestCase() { RestoreIni(); }

    void askedOnceThenHeldForTheCredentialRecords()
    {
        Answer(CKWPopWnd::BtnOk, QStringLiteral("dave"), {QStringLiteral("pw1")});
        // Listing the host's shares enters none of them; expanding the share asks first.
        const NodeIndex pub = ShareNode(QStringLiteral("pub"));
        QVERIFY(pub);
        QVERIFY(m_asked.isEmpty());
        Load(B(), pub);
        QVERIFY(Child(pub, QStringLiteral("Docs")));
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_asked.at(0).dialog, QStringLiteral("CShareLoginDialog"));
        QCOMPARE(m_asked.at(0).text, QStringLiteral("\\\\srv\\pub"));

        // Remembered: a check of the share and of the mapped drive do not ask again.
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\pub\\Docs"), false), 0u);
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("P:\\Docs"), true), 0u);
        QCOMPARE(m_asked.size(), 1);

        // The page finds the share behind a path, then what was typed (the demo host's task
        // round trip reads it from the stored record); other shares stay unknown.
        const QString key = m_b->GetShareOfPath(QStringLiteral("\\\\SRV\\pub\\Docs"));
        QCOMPARE(key, QStringLiteral("\\\\srv\\pub\\"));
        QVERIFY(m_b->GetShareCredentials(key, nullptr, nullptr));
        QVERIFY(!m_b->GetShareCredentials(QStringLiteral("\\\\srv\\open\\"), nullptr, nullptr));
    }

    void cancelOrNoUserNameDenies()
    {
        // Cancel: access denied, the share shows no children, nothing is held, and it asks again.
        Answer(CKWPopWnd::BtnCancel, QStringLiteral("dave"), {QStringLiteral("pw")});
        const uint32_t rc = Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\pub"), false);
        QCOMPARE(rc, CGetDataCommon::kErrLoginCancelled);
        const NodeIndex pub = ShareNode(QStringLiteral("pub"));
        QSignalSpy finished(Source(), &CGetDataCommon::DoLoadFinished);
        Load(B(), pub);
        QCOMPARE(m_asked.size(), 2);
        QVERIFY(!Child(pub, QStringLiteral("Docs")));
        QVERIFY(!finished.isEmpty());
        QCOMPARE(finished.last().at(0).value<NodeIndex>(), pub);
        QCOMPARE(finished.last().at(1).toInt(), qint32(CGetDataCommon::kErrLoginCancelled));
        QVERIFY(!m_b->GetShareCredentials(QStringLiteral("\\\\srv\\pub\\"), nullptr, nullptr));

        // OK with an empty (blank) user name is not available: the dialog ends as closed.
        m_asked.clear();
        Answer(CKWPopWnd::BtnOk, QStringLiteral("  "), {QStringLiteral("pw")});
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\pub"), false), CGetDataCommon::kErrLoginCancelled);
        QCOMPARE(m_asked.size(), 1);
        QVERIFY(!m_b->GetShareCredentials(QStringLiteral("\\\\srv\\pub\\"), nullptr, nullptr));
    }

    void wrongPasswordIsAskedAgainAtMostThreeTimes()
    {
        // Right on the third attempt; the re-asks say why.
        Answer(CKWPopWnd::BtnOk, QStringLiteral("dave"),
               {QStringLiteral("no"), QStringLiteral("open"), QStringLiteral("open=sesame")});
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\sec\\Docs"), false), 0u);
        QCOMPARE(m_asked.size(), 3);
        QVERIFY(m_asked.at(0).extra.isEmpty());
        QCOMPARE(m_asked.at(1).extra.size(), 1);
        QString user, password;
        QVERIFY(m_b->GetShareCredentials(QStringLiteral("\\\\srv\\sec\\"), &user, &password));
        QCOMPARE(user, QStringLiteral("dave"));
        QCOMPARE(password, QStringLiteral("open=sesame"));
    }

    void threeWrongPasswordsRefuse()
    {
        Answer(CKWPopWnd::BtnOk, QStringLiteral("dave"), {QStringLiteral("wrong")});
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\sec"), false), CGetDataCommon::kErrLoginRefused);
        QCOMPARE(m_asked.size(), CShareLogins::kMaxLoginAttempts);
        // The configured password alone is what the slot knows; the wrong one is not held.
        QString user, password;
        QVERIFY(m_b->GetShareCredentials(QStringLiteral("\\\\srv\\sec\\"), &user, &password));
        QVERIFY(user.isEmpty());
        QCOMPARE(password, QStringLiteral("open=sesame"));
    }

    void knownLoginsNeverAsk()
    {
        Answer(CKWPopWnd::BtnCancel, QString(), {});
        // A configured user name, and a share not marked.
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\cfg\\Docs"), false), 0u);
        QCOMPARE(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\open"), false), 0u);
        const NodeIndex cfg = ShareNode(QStringLiteral("cfg"));
        Load(B(), cfg);
        QVERIFY(Child(cfg, QStringLiteral("Docs")));
        QVERIFY(m_asked.isEmpty());
        // A folder that cannot be reached fails as before, without a dialog.
        QVERIFY(NRResult::Failed(Source()->CheckNetworkPath(QStringLiteral("\\\\srv\\cfg\\Nothing"), false)));
        QVERIFY(m_asked.isEmpty());
    }

    void checkOnTheSyncExecuterAsksOnTheGuiThread()
    {
        Answer(CKWPopWnd::BtnOk, QStringLiteral("gina"), {QStringLiteral("g")});
        CheckJob job{Source(), QStringLiteral("\\\\srv\\pub\\Docs")};
        CSyncExecuterT0<QObject, CheckJob, uint32_t (CheckJob::*)() const> executer(nullptr, QString(), this, &job,
                                                                                   &CheckJob::Run);
        QCOMPARE(executer.execute(), Q_INT64_C(0));
        QCOMPARE(m_asked.size(), 1);
        QCOMPARE(m_askedOnGui, QList<bool>{true});
    }

    void concurrentChecksShareOneDialog()
    {
        Answer(CKWPopWnd::BtnOk, QStringLiteral("hal"), {QStringLiteral("h")});
        std::atomic<int> done{0};
        uint32_t results[2] = {1, 1};
        CGetDataCommon* source = Source();
        std::thread a([&] { results[0] = source->CheckNetworkPath(QStringLiteral("\\\\srv\\pub"), false); ++done; });
        std::thread b([&] { results[1] = source->CheckNetworkPath(QStringLiteral("\\\\srv\\pub\\Docs"), false); ++done; });
        // The GUI loop keeps running, as the sync executer's does.
        while (done < 2) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::yieldCurrentThread();
        }
        a.join();
        b.join();
        QCOMPARE(results[0], 0u);
        QCOMPARE(results[1], 0u);
        QCOMPARE(m_asked.size(), 1);
    }
};

QTEST_MAIN(TestShareLogin)
#include "tst_sharelogin.moc"
