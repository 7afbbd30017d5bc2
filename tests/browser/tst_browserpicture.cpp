#include "BrowserFixture.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CFileTreeHeader.h"
#include "FbTestUtil.h"
#include "NRFileBrowserPara.h"
#include "QAnimateOperation.h"
#include "TreeView.h"
#include <QFileIconProvider>
#include <QPainter>
#include <QTest>
#include <QThreadPool>
#include <memory>

using namespace BrowserFixture;

namespace {
bool IsWhite(const QColor& c) { return c.red() > 235 && c.green() > 235 && c.blue() > 235; }
bool IsArrowGrey(const QColor& c) { return c.red() < 200 && qAbs(c.red() - c.blue()) < 40 && c.blue() < 200; }

// How far the 16 x 16 area at `at` of a screenshot is from `icon` drawn over `background`.
int Distance(const QImage& shot, const QPoint& at, const QIcon& icon, const QColor& background)
{
    QImage drawn(16, 16, QImage::Format_RGB32);
    drawn.fill(background);
    QPainter(&drawn).drawPixmap(0, 0, icon.pixmap(16, 16));
    int sum = 0;
    for (int i = 0; i < 256; ++i)
        sum += qAbs(qGray(shot.pixel(at + QPoint(i % 16, i / 16))) - qGray(drawn.pixel(i % 16, i / 16)));
    return sum;
}
} // namespace

// Renders the library's browser over a temporary drive, filled by the real local data source, on
// a real display server and checks the picture: the check boxes of checked, partly checked and
// unchecked rows, the spinner of a folder that loads longer than its delay (gone within a second
// once its rows are in), the sort arrow, and a drive row that shows a drive's icon, not a file's.
class tst_browserpicture : public QObject
{
    Q_OBJECT
private slots:
    void browserPicture()
    {
        QTemporaryDir tmp;
        for (const char* dir : {"c/Documents", "c/Loading/Later", "c/Music", "c/Pictures/2026"})
            QVERIFY(QDir().mkpath(tmp.filePath(QLatin1String(dir))));
        for (const char* file : {"c/Documents/cv.odt", "c/Documents/letter.odt", "c/Music/song.ogg", "c/notes.txt"})
            fbtest::WriteFile(tmp.filePath(QLatin1String(file)), QByteArray(1536, 'x'));
        fbtest::UseIni(tmp.path(), QStringLiteral("[Drives]\nC=%1/c\n").arg(tmp.path()));
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles;
        std::unique_ptr<IFileBrower> library(IFileBrower::CreateInstance(&para, nullptr, nullptr));
        auto* fb = static_cast<CFileBrower*>(library.get());
        CFileSystemModel* fs = fb->Model();
        CBrower& browser = *fb->Browser();
        browser.resize(900, 360);
        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        fbtest::Settle(fb);
        const NodeIndex computer = fbtest::Walk(fb, {CGetDataCommon::ComputerName()});
        const NodeIndex c = fbtest::Child(computer, QStringLiteral("C:"));
        fbtest::Load(fb, c);
        const NodeIndex documents = fbtest::Child(c, "Documents"), music = fbtest::Child(c, "Music"),
                        pictures = fbtest::Child(c, "Pictures"), loading = fbtest::Child(c, "Loading");
        fbtest::Load(fb, documents);
        fs->SetNodeData(music, Qt::Checked, Qt::CheckStateRole);
        fs->SetNodeData(fbtest::Child(documents, "cv.odt"), Qt::Checked, Qt::CheckStateRole);
        TreeView* left = browser.LeftView();
        left->setAnimated(false);
        left->expand(ViewIndex(left, *fs, computer));
        left->expand(ViewIndex(left, *fs, c));
        browser.SelectNode(c);
        QCOMPARE(browser.GetCurrentNode(), c);
        browser.UpdateLeftView(true);
        // Loading spins as a folder does that is still loading after the delay.
        const QPersistentModelIndex loadingRow = ViewIndex(left, *fs, loading);
        left->OnFetchMore(loadingRow, 1);
        QTRY_VERIFY(left->Animation(loading) && left->Animation(loading)->Frame() >= 2);
        QTest::qWait(50);

        const QImage shot = browser.grab().toImage();
        const QString out = QStringLiteral(NR_PICTURE_OUT);
        QVERIFY2(shot.save(out), qPrintable(out));
        qInfo("picture saved to %s", qPrintable(out));

        // Check boxes in the contents list, 16 x 16 at the cell's left + 2, vertically centred.
        CDisableExpendTreeView* right = browser.RightView();
        auto boxAt = [&](NodeIndex n) {
            const QRect cell = right->visualRect(ViewIndex(right, *fs, n));
            const QPoint topLeft = right->viewport()->mapTo(&browser, cell.topLeft());
            return QRect(topLeft.x() + 2, topLeft.y() + (cell.height() - 16) / 2, 16, 16);
        };
        const QRect checkedBox = boxAt(music), partialBox = boxAt(documents), emptyBox = boxAt(pictures);
        QVERIFY(IsBlue(shot.pixelColor(checkedBox.left() + 3, checkedBox.center().y())));
        QVERIFY(IsBlue(shot.pixelColor(partialBox.left() + 3, partialBox.center().y())));
        QVERIFY(IsWhite(shot.pixelColor(partialBox.center().x(), partialBox.center().y() + 1)));
        QVERIFY(IsWhite(shot.pixelColor(emptyBox.center())));
        QVERIFY(!Any(shot, emptyBox.adjusted(3, 3, -3, -3), IsBlue));
        QVERIFY(Any(shot, emptyBox, [](const QColor& col) { return !IsWhite(col); }));

        // The spinner sits in the branch area of the loading folder, and only there.
        auto branchOf = [&](NodeIndex n) {
            const QRect cell = left->visualRect(ViewIndex(left, *fs, n));
            const QPoint topLeft = left->viewport()->mapTo(&browser, QPoint(0, cell.top()));
            return QRect(topLeft, QSize(cell.left(), cell.height()));
        };
        QVERIFY(Any(shot, branchOf(loading), IsBlue));
        QVERIFY(!Any(shot, branchOf(pictures), IsBlue));

        // The sort arrow above the title of the sorted section, none above the others.
        CFileTreeHeader* header = qobject_cast<CFileTreeHeader*>(right->header());
        QVERIFY(header);
        QCOMPARE(header->sortIndicatorSection(), 0);
        auto topStrip = [&](int section) {
            const QPoint origin = header->viewport()->mapTo(&browser, QPoint(header->sectionViewportPosition(section), 0));
            return QRect(origin.x() + 30, origin.y() + 2, header->sectionSize(section) - 40, 10);
        };
        QVERIFY(Any(shot, topStrip(0), IsArrowGrey));
        QVERIFY(!Any(shot, topStrip(1), IsArrowGrey));

        // The drive's icon sits after its check box (16 pixels and the tree's spacing of 3).
        const QRect cCell = left->visualRect(ViewIndex(left, *fs, c));
        const QPoint icon = left->viewport()->mapTo(&browser, QPoint(cCell.left() + 21, cCell.top() + (cCell.height() - 16) / 2));
        const QColor background = shot.pixelColor(left->viewport()->mapTo(&browser, QPoint(cCell.right() - 2, cCell.top() + 1)));
        QVERIFY(Distance(shot, icon, ViewIndex(left, *fs, c).data(Qt::DecorationRole).value<QIcon>(), background)
                < Distance(shot, icon, QFileIconProvider().icon(QFileIconProvider::File), background));

        // Loading is expanded for real: its spinner goes once its rows are in the views.
        left->expand(loadingRow);
        QTRY_VERIFY_WITH_TIMEOUT(!Any(browser.grab().toImage(), branchOf(loading), IsBlue), 1000);
        QVERIFY(fbtest::Child(loading, QStringLiteral("Later")));
        library.reset();
        QThreadPool::globalInstance()->waitForDone();
    }
};

QTEST_MAIN(tst_browserpicture)
#include "tst_browserpicture.moc"
