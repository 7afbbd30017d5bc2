#include "CKWPopWnd.h"
#include "CKWPushBtn.h"
#include "CMsgBox.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <thread>

namespace {

// A dialog whose OK is refused (with a warning box, as validation does) a set number of times.
class CTestPopWnd : public CKWPopWnd
{
    Q_OBJECT
public:
    int refuseOk = 0;
    QList<int> pressed;

    CTestPopWnd()
    {
        SetWindowTitle(QStringLiteral("Pick"));
        ShowTitleBtn(TitleBtnClose, true);
        Init();
        AppendBtn(BtnOk | BtnCancel);
    }

protected:
    bool proceedBtnClicked(int id) override
    {
        pressed << id;
        if (id == BtnOk && refuseOk > 0) {
            --refuseOk;
            CMsgBox::message(2, QStringLiteral("Not yet"), QString(), CMsgBox::Ok);
            return false;
        }
        return true;
    }
};

// Answers with the given ids in turn, then keeps repeating the last one.
CMsgBox::AnswerFn answers(QList<int> ids)
{
    return [ids](const CMsgBox::Record&) mutable { return ids.size() > 1 ? ids.takeFirst() : ids.first(); };
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        CMsgBox::SetAutoAnswer(nullptr);
        CMsgBox::ClearRecorded();
    }

    void closingAnswersWithTheDecliningButton_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("expected");
        QTest::newRow("ok-cancel") << int(CMsgBox::OkCancel) << int(CMsgBox::Cancel);
        QTest::newRow("yes-no") << int(CMsgBox::Yes | CMsgBox::No) << int(CMsgBox::No);
        QTest::newRow("yes-cancel") << int(CMsgBox::YesCancel) << int(CMsgBox::Cancel);
        QTest::newRow("ok") << int(CMsgBox::Ok) << int(CMsgBox::Ok);
    }
    void closingAnswersWithTheDecliningButton()
    {
        // Answer 0 stands for closing the box's window instead of pressing a button.
        QFETCH(int, buttons);
        QFETCH(int, expected);
        CMsgBox::SetAutoAnswer([](const CMsgBox::Record&) { return 0; });
        QCOMPARE(CMsgBox::message(0, QStringLiteral("?"), QString(), buttons), expected);
    }

    void messageBoxAwayFromTheGuiThread()
    {
        // Cannot be shown there: answers as if closed, instead of building widgets off-thread.
        int answer = -1;
        std::thread first([&] { answer = CMsgBox::message(3, QStringLiteral("x"), QString(), CMsgBox::OkCancel); });
        first.join();
        QCOMPARE(answer, int(CMsgBox::Cancel));

        // The hook answers there, and a request without known buttons gets an OK box.
        CMsgBox::SetAutoAnswer(answers({0}));
        std::thread second([&] { answer = CMsgBox::message(0, QStringLiteral("x"), QString(), 8); });
        second.join();
        QCOMPARE(answer, int(CMsgBox::Ok));
        QCOMPARE(CMsgBox::Recorded().size(), 1);
    }

    void shownMessageBoxReturnsTheClickedButton()
    {
        // Without the hook the box really shows; press Cancel, then close a Yes/No box with Escape.
        QTimer::singleShot(0, this, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Question"));
            auto* cancel = box->findChild<CKWPushBtn*>(QStringLiteral("KWBtn256"));
            QVERIFY(cancel);
            cancel->click();
        });
        QCOMPARE(CMsgBox::message(0, QStringLiteral("Create it?"), QString(), CMsgBox::OkCancel), int(CMsgBox::Cancel));

        QTimer::singleShot(0, this, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(CMsgBox::message(2, QStringLiteral("Replace?"), QStringLiteral("Replace"), CMsgBox::Yes | CMsgBox::No),
                 int(CMsgBox::No));
    }

    void popWndAnswersThatAreNotButtonsCloseIt()
    {
        // A button the dialog does not have is treated as closing the window (a disabled one is
        // proved by the share login's blank user name).
        CTestPopWnd other;
        CMsgBox::SetAutoAnswer(answers({CKWPopWnd::BtnYes}));
        QCOMPARE(other.Run(), int(CKWPopWnd::BtnCancel));
        QCOMPARE(other.pressed, QList<int>{CKWPopWnd::BtnCancel});

        // An answer that is always refused ends the dialog too.
        CTestPopWnd refusing;
        refusing.refuseOk = 1000;
        CMsgBox::SetAutoAnswer(answers({CKWPopWnd::BtnOk}));
        QCOMPARE(refusing.Run(), int(CKWPopWnd::BtnCancel));
        QVERIFY(refusing.pressed.size() < 100);
    }

    void shownPopWndVetoKeepsItOpen()
    {
        CTestPopWnd wnd;
        wnd.refuseOk = 1;
        CMsgBox::SetAutoAnswer(answers({CMsgBox::Ok})); // answers the warning the veto shows
        QTimer::singleShot(0, this, [&] {
            // Hook set: Run() would not show; so show this one by hand through exec in Run below.
            wnd.GetBtn(CKWPopWnd::BtnOk)->click();
            QVERIFY(wnd.isVisible()); // refused: still open
            wnd.GetBtn(CKWPopWnd::BtnOk)->click();
        });
        QCOMPARE(wnd.exec(), int(CKWPopWnd::BtnOk));
        QCOMPARE(wnd.pressed, (QList<int>{CKWPopWnd::BtnOk, CKWPopWnd::BtnOk}));
        QCOMPARE(CMsgBox::Recorded().size(), 1);
    }

    void shownPopWndClosesByTitleButtonAndUnRun()
    {
        CTestPopWnd wnd;
        QTimer::singleShot(0, this, [&] {
            auto* close = wnd.findChild<QAbstractButton*>(QStringLiteral("KWTitleClose"));
            QVERIFY(close);
            close->click();
        });
        QCOMPARE(wnd.Run(), int(CKWPopWnd::BtnCancel));
        QCOMPARE(wnd.pressed, QList<int>{CKWPopWnd::BtnCancel});

        CTestPopWnd second;
        QTimer::singleShot(0, this, [&] { second.UnRun(); });
        QCOMPARE(second.Run(), int(CKWPopWnd::BtnCancel));
        QVERIFY(second.pressed.isEmpty()); // closed by its owner, not by a button
        QVERIFY(!second.isVisible());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
