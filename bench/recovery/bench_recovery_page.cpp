// The recovery page over large images, driven through the module's entry as the host drives it,
// against baselines measured in the same run:
//   open     a 1,000,000-entry image until the root's first level shows    vs `bsdtar -tf` (<= 1.0x)
//   folder   a folder of 100,000 entries of an image, shown in both views   vs QFileSystemModel +
//            proxy + view on the same entries extracted to disk              (<= 0.5x)
//   search   *.docx over the whole 1,000,000-entry image until the last result row shows
//                                                                           vs `bsdtar -tf` (<= 0.05x)
//   stop     a running search of the whole image ended by the user: how long the page waits
//                                                                           (<= 200 ms)
//
//   bench_recovery_page [profile.tar] [folder.tar] [passes]
//   passes: a comma-separated choice of open, folder, search (search and stop); all by default
//   (defaults /tmp/nr-recovery-1m.tar and /tmp/nr-recovery-100k.tar, written when missing)
#include "BenchImage.h"
#include "BenchQtFolder.h"

#include "CFileBRManager.h"
#include "CFileRecoveryLogicMgr.h"
#include "CFileRecoveryUI.h"
#include "CHostContext.h"
#include "CLibLoader.h"
#include "CSearchRecoveryLineEdit.h"
#include "CKWComboBox.h"
#include "CUISearchFileData.h"
#include "IFileBrower.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFolderEntries = 100000;

int rowsShown(QTreeView* view)
{
    return view && view->model() ? view->model()->rowCount(view->rootIndex()) : 0;
}

// The recovery page in a window, as the host shows it.
struct RecoveryPage
{
    QWidget window;
    ICommonUI* module = nullptr;
    CFileBRManager* manager = nullptr;
    std::shared_ptr<CHostTaskData> data = std::make_shared<CHostTaskData>();

    explicit RecoveryPage(const QString& image)
    {
        auto create = reinterpret_cast<NRModuleCreateFn>(CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject"));
        module = create ? create() : nullptr;
        manager = static_cast<CFileBRManager*>(static_cast<IBackupRecoverUI*>(module));
        data->imagePath = image;
        window.resize(1000, 700);
        new QVBoxLayout(&window);
        window.show();
    }
    ~RecoveryPage()
    {
        if (module) {
            manager->Release();
            delete module;
        }
    }
    void Open()
    {
        manager->SetParentWidget(&window);
        window.layout()->addWidget(manager->CreatePage(39, 0)->GetWidget());
        manager->InitPage(39, QSharedPointer<IUICommon>(new CFileRestoreHostContext(data)), nullptr);
    }
    CFileRecoveryUI* Ui() const { return manager->RecoveryManager()->GetPage(); }
    QTreeView* View(const char* page, const char* name) const
    {
        QWidget* holder = Ui()->findChild<QWidget*>(QLatin1String(page));
        return holder ? holder->findChild<QTreeView*>(QLatin1String(name)) : nullptr;
    }
    void Search(const QString& text)
    {
        Ui()->ScopeCombo()->setCurrentIndex(1);
        Ui()->SearchEdit()->setText(text);
        Ui()->SearchEdit()->OnSearch();
    }
    bool Searching() const { return Ui()->SearchEdit()->IsSearching(); }
};

double openMs(const QString& image)
{
    RecoveryPage page(image);
    QElapsedTimer t;
    t.start();
    page.Open();
    QTreeView* tree = page.View("pgFileTree", "treeDirView");
    WaitUntil([&] { return rowsShown(tree) > 0; });
    QCoreApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

double folderMs(const QString& image, int* shown)
{
    RecoveryPage page(image);
    page.Open();
    IFileBrower* tree = page.Ui()->GetDefaultTree();
    const QByteArray drivePath("C:");
    WaitUntil([&] { return tree->FindNodeByUtf8Path(drivePath.constData()) != 0; });
    const NodeIndex drive = tree->FindNodeByUtf8Path(drivePath.constData());
    tree->ExpandNode(drive, true);
    const QByteArray folderPath("C:\\big");
    WaitUntil([&] { return tree->FindNodeByUtf8Path(folderPath.constData()) != 0; });
    const NodeIndex folder = tree->FindNodeByUtf8Path(folderPath.constData());
    QElapsedTimer idle;
    idle.start();
    SettledAtMs(idle, 200);

    QTreeView* list = page.View("pgFileTree", "treeRightView");
    QElapsedTimer t;
    t.start();
    // The user opens the folder: it becomes the tree's folder and the list's.
    tree->SetCurrentNode(folder);
    tree->ExpandNode(folder, true);
    WaitUntil([&] { return rowsShown(list) >= kFolderEntries; });
    const double ms = SettledAtMs(t, 1000);
    *shown = rowsShown(list);
    return ms;
}

double qtFolderMs(double* stallMs)
{
    QTemporaryDir dir;
    for (int i = 0; i < kFolderEntries; ++i) {
        const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("file%1.dat").arg(i, 6, 10, QLatin1Char('0'))));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    return QtFolderPassMs(dir.path(), kFolderEntries, stallMs, true);
}

// Search of the whole image until the last result row shows, then how long ending a running
// search keeps the page waiting (the worst of five).
void searchAndStop(const QString& image, double* searchMs, int* hits, double* stopMs)
{
    RecoveryPage page(image);
    page.Open();
    QTreeView* tree = page.View("pgFileTree", "treeDirView");
    WaitUntil([&] { return rowsShown(tree) > 0; });
    QTreeView* results = page.View("pgSearchTree", "treeDirView");
    QElapsedTimer t;
    t.start();
    page.Search(QStringLiteral("*.docx"));
    QSharedPointer<CUISearchFileData> search = page.manager->RecoveryManager()->RunningSearch();
    WaitUntil([&] { return !page.Searching() && rowsShown(results) >= search->HitCount(); });
    *searchMs = double(t.nsecsElapsed()) / 1e6;
    *hits = rowsShown(results);

    *stopMs = 0;
    for (int i = 0; i < 5; ++i) {
        page.Search(i % 2 ? QStringLiteral("*") : QStringLiteral("*o*"));
        QElapsedTimer running;
        running.start();
        WaitUntil([&] { return running.elapsed() > 30 + 20 * i; });
        QElapsedTimer stop;
        stop.start();
        page.Ui()->SearchEdit()->OnClear();
        *stopMs = std::max(*stopMs, double(stop.nsecsElapsed()) / 1e6);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const QString profile = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/nr-recovery-1m.tar");
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp/nr-recovery-100k.tar");
    auto writeFolder = [](const QString& path) {
        int i = -1;
        return WriteBenchImage(path, [&](QByteArray* name, bool* isFolder) {
            *isFolder = i < 0;
            *name = i < 0 ? QByteArray("C:/big/") : "C:/big/file" + QByteArray::number(i).rightJustified(6, '0') + ".dat";
            return ++i <= kFolderEntries;
        });
    };
    if (!EnsureBenchImage(profile, WriteProfileImage) || !EnsureBenchImage(folder, writeFolder)) {
        std::printf("cannot write the images\n");
        return 1;
    }
    if (!CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject")) {
        std::printf("libUIFileModule.so not found: run from the build's bin/ folder\n");
        return 1;
    }

    const QStringList passes = (argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("open,folder,search"))
                                   .split(QLatin1Char(','));
    const double listMs = passes.contains(QLatin1String("nolist")) ? 1 : BsdtarListMs(profile);
    double open = 1e300;
    for (int i = 0; passes.contains(QLatin1String("open")) && i < 3; ++i)
        open = std::min(open, openMs(profile));
    int ourRows = 0, hits = 0;
    double ours = 0, qt = 0, qtStall = 0, searchMs = 0, stopMs = 0;
    if (passes.contains(QLatin1String("folder"))) {
        ours = folderMs(folder, &ourRows);
        qt = qtFolderMs(&qtStall);
    }
    if (passes.contains(QLatin1String("search")))
        searchAndStop(profile, &searchMs, &hits, &stopMs);

    std::printf("bsdtar -tf, 1,000,000 entries:        %8.1f ms\n", listMs);
    std::printf("open until the first level shows:     %8.1f ms   ratio %.2fx listing (target <= 1.0)\n", open,
                open / listMs);
    std::printf("100,000-entry folder, page:           %8.1f ms   (%d rows)\n", ours, ourRows);
    std::printf("100,000 files, QFileSystemModel+view: %8.1f ms   ratio %.2f (target <= 0.5)\n", qt, ours / qt);
    std::printf("search *.docx, whole image, shown:    %8.1f ms   (%d hits)   ratio %.3fx listing (target <= 0.05)\n",
                searchMs, hits, searchMs / listMs);
    std::printf("ending a running search, worst of 5:  %8.1f ms   (target <= 200)\n", stopMs);
    return 0;
}
