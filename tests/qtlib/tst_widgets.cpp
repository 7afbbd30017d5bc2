#include "CKWBox.h"
#include "CKWImage.h"
#include "CKWImageButton.h"
#include "CKWLineEdit.h"
#include "CKWTextEdit.h"
#include "CSearchRecoveryLineEdit.h"
#include "CTreeListStyle.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
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

        // An empty box and a search run again are proved on the recovery road; here the keys
        // and the clear action.
        QTest::keyClicks(&box, QStringLiteral("report"));
        QVERIFY(clearAction()->isVisible());
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), (QVariantList{true, QStringLiteral("report")}));

        clearAction()->trigger();
        QCOMPARE(box.text(), QString());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1), (QVariantList{false, QString()}));
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
    }

    void imageLoadsRasterAndSvg()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("a.png"));
        QImage raster(12, 8, QImage::Format_ARGB32);
        raster.fill(Qt::red);
        QVERIFY(raster.save(png));
        const QString svg = dir.filePath(QStringLiteral("b.SVG"));
        QFile f(svg);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'><rect width='20' height='10'/></svg>");
        f.close();

        CKWImage image;
        QVERIFY(image.SetImage(png));
        QCOMPARE(image.sizeHint(), QSize(12, 8));
        QVERIFY(image.SetImage(svg));
        QCOMPARE(image.sizeHint(), QSize(20, 10));
        QVERIFY(!image.SetImage(dir.filePath(QStringLiteral("missing.png"))));
        QVERIFY(image.IsNull());
        QCOMPARE(image.sizeHint(), QSize(0, 0));
    }

    void stateButtonClicksOnlyWhenReleasedInside()
    {
        CKWImageButton button;
        button.resize(20, 20);
        QSignalSpy clicks(&button, &CKWStateWidget::clicked);
        QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(button.CurrentState(), CKWStateWidget::StatePressed);
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QCOMPARE(clicks.count(), 0);
        QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        button.setEnabled(false);
        QCOMPARE(button.CurrentState(), CKWStateWidget::StateDisabled);
        QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
    }

    void treeListStyleScrollBarHasNoArrowButtons()
    {
        CTreeListStyle style;
        QStyleOptionSlider opt;
        opt.rect = QRect(0, 0, 10, 200);
        opt.orientation = Qt::Vertical;
        opt.minimum = 0;
        opt.maximum = 100;
        opt.pageStep = 100; // half of the content is visible: the handle is half the bar
        opt.sliderPosition = 0;
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider), QRect(0, 0, 10, 100));
        QVERIFY(style.subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine).isEmpty());
        QVERIFY(style.subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSubLine).isEmpty());
        QCOMPARE(style.hitTestComplexControl(QStyle::CC_ScrollBar, &opt, QPoint(5, 150)), QStyle::SC_ScrollBarAddPage);

        opt.sliderPosition = 100; // at the end the handle touches the bottom
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider), QRect(0, 100, 10, 100));

        // A huge range still leaves a handle that can be grabbed.
        opt.maximum = 1000000000;
        opt.pageStep = 10;
        QCOMPARE(style.subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider).height(),
                 style.pixelMetric(QStyle::PM_ScrollBarSliderMin));
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
