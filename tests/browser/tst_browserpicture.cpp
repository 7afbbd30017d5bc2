#include "BrowserFixture.h"
#include "CBrower.h"
#include "CDisableExpendTreeView.h"
#include "CFileTreeHeader.h"
#include "FbTestUtil.h"
#include "NRFileBrowserPara.h"
#include "QAnimateOperation.h"
#include "TreeView.h"
#include <QFileIconProvider>
#include <memory>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QThreadPool>

using namespace BrowserFixture;

namespace {
bool IsBlue(const QColor& c) { return c.blue() > c.red() + 60 && c.blue() > c.green() + 20; }
bool IsWhite(const QColor& c) { return c.red() > 235 && c.green() > 235 && c.blue() > 235; }
bool IsArrowGrey(const QColor& c) { return c.red() < 200 && qAbs(c.red() - c.blue()) < 40 && c.blue() < 200; }

bool Any(const QImage& image, const QRect& area, bool (*test)(const QColor&))
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

// How far the 16 x 16 area at `at` of a screenshot is from `icon` drawn over `background`.
int Distance(const QImage& shot, const QPoint& at, const QIcon& icon, const QColor& background)
{
    QImage drawn(16, 16, QImage::Format_ARGB32);
    drawn.fill(background);
    QPainter(&drawn).drawPixmap(0, 0, icon.pixmap(16, 16));
    int sum = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor a = shot.pixelColor(at + QPoint(x, y)), b = drawn.pixelColor(x, y);
            sum += qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
        }
    return sum;
}
} // namespace

// Renders the browser on a real display server and checks the picture: the check boxes of
// checked, partly checked and unchecked rows, the spinner of a loading folder and the sort
// arrow each appear where they belong.
class tst_browserpicture : public QObject
{
    Q_OBJECT
private slots:
    void browserPicture()
    {
        auto* fs = new CFileSystemModel();
        QSharedPointer<IFileSystemModel> model(fs);
        fs->SetCheckEnabled(true);
        CBrower browser(model, nullptr);
        browser.resize(900, 360);
        browser.ShowRightView(true, false);
        const NodeIndex computer = AddComputer(*fs);
        const NodeIndex c = Child(computer, QStringLiteral("C:"));
        Load(*fs, c, {Dir("Documents"), Dir("Loading"), Dir("Music"), Dir("Pictures"), File("notes.txt", 1536),
                      File("report.pdf", 3u << 20)});
        const NodeIndex documents = Child(c, "Documents"), music = Child(c, "Music"),
                        pictures = Child(c, "Pictures"), loading = Child(c, "Loading");
        Load(*fs, documents, {File("cv.odt"), File("letter.odt")});
        Load(*fs, music, {File("song.ogg")});
        Load(*fs, pictures, {Dir("2026")});
        fs->SetNodeData(music, Qt::Checked, Qt::CheckStateRole);
        fs->SetNodeData(Child(documents, "cv.odt"), Qt::Checked, Qt::CheckStateRole);

        browser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&browser));
        TreeView* left = browser.LeftView();
        left->setAnimated(false);
        browser.UpdateLeftView(true);
        left->expand(ViewIndex(left, *fs, computer));
        left->expand(ViewIndex(left, *fs, c));
        browser.SelectNode(c);
        QCOMPARE(browser.GetCurrentNode(), c);
        browser.OnTreeNodeLoading(loading, false);
        QTRY_VERIFY(left->Animation(loading) && left->Animation(loading)->Frame() >= 2);
        browser.UpdateLeftView(true);
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

        browser.StopNodeLoading(loading);
        QThreadPool::globalInstance()->waitForDone();
    }

    // The library's browser over a temporary drive with the real local data source: a folder
    // whose spinner shows (it loads longer than the delay) loses it once its rows are in, and
    // the drive row shows a drive's icon, not a file's.
    void realFolderSpinnerStopsAndDriveIcon()
    {
        QTemporaryDir tmp;
        QVERIFY(QDir().mkpath(tmp.filePath(QStringLiteral("c/Folder"))));
        fbtest::UseIni(tmp.path(), QStringLiteral("[Drives]\nC=%1/c\n").arg(tmp.path()));
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles;
        std::unique_ptr<IFileBrower> library(IFileBrower::CreateInstance(&para, nullptr, nullptr));
        auto* fb = static_cast<CFileBrower*>(library.get());
        CBrower* browser = fb->Browser();
        CFileSystemModel& fs = *fb->Model();
        browser->resize(900, 360);
        browser->show();
        QVERIFY(QTest::qWaitForWindowExposed(browser));
        fbtest::Settle(fb);
        const NodeIndex computer = fbtest::Walk(fb, {CGetDataCommon::ComputerName()});
        const NodeIndex c = fbtest::Child(computer, QStringLiteral("C:"));
        QVERIFY(c);
        TreeView* left = browser->LeftView();
        left->setAnimated(false);
        left->expand(ViewIndex(left, fs, computer));
        browser->SelectNode(computer);
        browser->UpdateLeftView(true);
        auto branchOfC = [&] {
            const QRect cell = left->visualRect(ViewIndex(left, fs, c));
            return QRect(left->viewport()->mapTo(browser, QPoint(0, cell.top())), QSize(cell.left(), cell.height()));
        };

        left->OnFetchMore(ViewIndex(left, fs, c), 1);
        QTRY_VERIFY(Any(browser->grab().toImage(), branchOfC(), IsBlue));
        left->expand(ViewIndex(left, fs, c));
        QTRY_VERIFY_WITH_TIMEOUT(!Any(browser->grab().toImage(), branchOfC(), IsBlue), 1000);
        QVERIFY(fbtest::Child(c, QStringLiteral("Folder")));
        QVERIFY(left->isExpanded(ViewIndex(left, fs, c)));

        // The drive's icon sits after its check box (16 pixels and the tree's spacing of 3).
        const QImage shot = browser->grab().toImage();
        const QRect cell = left->visualRect(ViewIndex(left, fs, c));
        const QPoint icon = left->viewport()->mapTo(browser, QPoint(cell.left() + 2 + 16 + 3, cell.top() + (cell.height() - 16) / 2));
        const QColor background = shot.pixelColor(left->viewport()->mapTo(browser, QPoint(cell.right() - 2, cell.top() + 1)));
        const QIcon driveIcon = ViewIndex(left, fs, c).data(Qt::DecorationRole).value<QIcon>();
        const QIcon fileIcon = QFileIconProvider().icon(QFileIconProvider::File);
        QVERIFY(Distance(shot, icon, driveIcon, background) < Distance(shot, icon, fileIcon, background));
        library.reset();
        QThreadPool::globalInstance()->waitForDone();
    }
};

QTEST_MAIN(tst_browserpicture)
#include "tst_browserpicture.moc"
