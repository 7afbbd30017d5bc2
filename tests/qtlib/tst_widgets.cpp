#include "CKWBox.h"
#include "CKWLineEdit.h"
#include "CKWTextEdit.h"
#include "CSearchRecoveryLineEdit.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

class TestWidgets : public QObject
{
    Q_OBJECT
private slots:
    void lineEditReportsEachEnterOnce()
    {
        CKWLineEdit edit;
        QList<QPair<int, int>> seen; // (key, event type)
        connect(&edit, &CKWLineEdit::KeyPressed, this,
                [&](QKeyEvent* e) { seen << qMakePair(e->key(), int(e->type())); });

        QTest::keyClick(&edit, Qt::Key_Return);
        QTest::keyClick(&edit, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(seen, (QList<QPair<int, int>>{{Qt::Key_Return, QEvent::KeyRelease}, {Qt::Key_Enter, QEvent::KeyRelease}}));

        seen.clear();
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(seen, (QList<QPair<int, int>>{{Qt::Key_A, QEvent::KeyPress}}));
        QCOMPARE(edit.text(), QStringLiteral("a"));

        // Held Enter: repeated releases are not reported.
        seen.clear();
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&edit, &repeat);
        QVERIFY(seen.isEmpty());
    }

    void searchBoxSignals()
    {
        CSearchRecoveryLineEdit box;
        QSignalSpy spy(&box, &CSearchRecoveryLineEdit::DoSearch);
        auto clearAction = [&]() -> QAction* {
            for (QAction* a : box.actions())
                if (a->text() == QLatin1String("Clear"))
                    return a;
            return nullptr;
        };
        QVERIFY(clearAction());
        QVERIFY(!clearAction()->isVisible());

        // Enter on an empty box starts nothing.
        QTest::keyClick(&box, Qt::Key_Return);
        box.OnSearch();
        QCOMPARE(spy.count(), 0);

        QTest::keyClicks(&box, QStringLiteral("report"));
        QVERIFY(clearAction()->isVisible());
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("report"));

        box.OnSearch(); // the page re-runs a search when the scope changes
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(1).toString(), QStringLiteral("report"));

        box.SearchBegin();
        QVERIFY(box.IsSearching());
        box.SearchFinished();
        QVERIFY(!box.IsSearching());

        clearAction()->trigger();
        QCOMPARE(box.text(), QString());
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(2).at(0).toBool(), false);
        QCOMPARE(spy.at(2).at(1).toString(), QString());
        QVERIFY(!clearAction()->isVisible());
    }

    void textEditKeepsWithinItsLimit()
    {
        CKWTextEdit edit;
        edit.setMaxLength(5);
        edit.insertPlainText(QStringLiteral("abcdefgh"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("abcde"));

        // Inserting in the middle keeps the start of the insertion and the text after it.
        edit.setMaxLength(6);
        QTextCursor c = edit.textCursor();
        c.setPosition(2);
        edit.setTextCursor(c);
        edit.insertPlainText(QStringLiteral("XYZ"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("abXcde"));

        // A surrogate pair that does not fit goes whole.
        edit.clear();
        edit.setMaxLength(3);
        edit.insertPlainText(QStringLiteral("ab") + QString::fromUcs4(U"\U0001F600"));
        QCOMPARE(edit.toPlainText(), QStringLiteral("ab"));

        // Lowering the limit trims what is there; no limit accepts anything.
        edit.setPlainText(QStringLiteral("abc"));
        edit.setMaxLength(1);
        QCOMPARE(edit.toPlainText(), QStringLiteral("a"));
        edit.setMaxLength(-1);
        edit.insertPlainText(QStringLiteral("0123456789"));
        QCOMPARE(edit.toPlainText().size(), 11);
    }

    void boxPaintsItsFrameOnTheBorder()
    {
        CKWBox box(CKWBox::Horizontal);
        box.SetBorderWidth(1, 1, 1, 1);
        box.PackStart(new QLabel(QStringLiteral("x")));
        box.resize(40, 20);
        box.SetFrameClr(QColor(255, 0, 0));

        const QImage plain = box.grab().toImage();
        box.SetDrawFrame(true);
        const QImage framed = box.grab().toImage();
        QCOMPARE(framed.pixelColor(0, 10), QColor(255, 0, 0));
        QCOMPARE(framed.pixelColor(39, 0), QColor(255, 0, 0));
        QVERIFY(plain.pixelColor(0, 10) != QColor(255, 0, 0));
        QCOMPARE(box.BoxLayout()->contentsMargins(), QMargins(1, 1, 1, 1));
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
