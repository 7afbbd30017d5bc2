// A folder of many files, shown three ways in the same run:
//   floor    a bare readdir + fstatat pass over the folder;
//   qt       QFileSystemModel + QSortFilterProxyModel + QTreeView until the folder is loaded
//            and the view has settled;
//   browser  the library's browser (data source set -> last batch shown in both views).
// For the two GUI cases the longest gap between ticks of a 5 ms timer is the GUI stall.
// Usage: bench_browser_folder [files=100000] [dir]
#include "CBrower.h"
#include "CFileBrower.h"
#include "CFileSystemModel.h"
#include "CGetDataCommon.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "CStorageMap.h"
#include "BenchQtFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <functional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

typedef CLvAutoPtrEx<CLvFileSystemNode> NodePtr;

double floorPass(const QByteArray& dir, long* count)
{
    QElapsedTimer t;
    t.start();
    DIR* d = ::opendir(dir.constData());
    long n = 0;
    if (d) {
        const int fd = ::dirfd(d);
        while (dirent* e = ::readdir(d)) {
            if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
                continue;
            struct stat st;
            if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                ++n;
        }
        ::closedir(d);
    }
    *count = n;
    return double(t.nsecsElapsed()) / 1e6;
}

double browserPass(int files, double* stallMs)
{
    StallMeter meter;
    QElapsedTimer t;
    _CFileBrowserPara para;
    para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles;
    // The browser without a source first, so the clock covers the source's work only.
    para.options |= CFileBrower::kOptImage;
    QScopedPointer<IFileBrower> b(IFileBrower::CreateInstance(&para, nullptr, nullptr));
    QWidget* w = b->GetWidget();
    w->resize(900, 600);
    w->show();
    QCoreApplication::processEvents();

    meter.Start();
    t.start();
    b->SetDataSource(QSharedPointer<CGetDataCommon>(new CGetDataCommon(CFileBrower::kOptFiles)));
    NodeIndex drive = 0;
    SpinUntil([&] {
        NodePtr root(CLvFileSystemNodeMgr::GetNode(b->GetRootIndex()));
        NodePtr computer(CLvFileSystemNodeMgr::GetNode(root ? root->ChildByName(CGetDataCommon::ComputerName()) : 0));
        drive = computer ? computer->ChildByName(QStringLiteral("C:")) : 0;
        return drive != 0;
    });
    // The user opens the drive: it becomes the left tree's current folder and the right list's.
    b->SetCurrentNode(drive);
    b->ExpandNode(drive, true);
    SpinUntil([&] {
        NodePtr n(CLvFileSystemNodeMgr::GetNode(drive));
        return n && n->InitFinish() && n->RowCount() >= files;
    });
    const double ms = SettledAtMs(t, 1000);
    *stallMs = meter.StopMs();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int files = argc > 1 ? QString(argv[1]).toInt() : 100000;
    QTemporaryDir tmp(argc > 2 ? QString(argv[2]) + "/benchXXXXXX" : QDir::tempPath() + "/benchXXXXXX");
    const QString dir = tmp.path() + "/big";
    QDir().mkpath(dir);
    std::printf("creating %d files in %s\n", files, qPrintable(dir));
    for (int i = 0; i < files; ++i) {
        QFile f(QStringLiteral("%1/file%2.dat").arg(dir).arg(i, 6, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
    }
    QFile ini(tmp.path() + "/default.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[Drives]\nC=%1\n").arg(dir).toUtf8());
    ini.close();
    CStorageMap::SetIniPath(ini.fileName());
    CStorageMap::SetMountsPath(QString());
    CStorageMap::Reload();

    long counted = 0;
    floorPass(QFile::encodeName(dir), &counted); // warm the cache
    const double floorMs = floorPass(QFile::encodeName(dir), &counted);
    double qtStall = 0, ourStall = 0;
    std::printf("floor done\n");
    const double qtMs = QtFolderPassMs(dir, files, &qtStall);
    std::printf("qt done\n");
    const double ourMs = browserPass(files, &ourStall);

    std::printf("floor   readdir+fstatat: %8.1f ms (%ld entries)\n", floorMs, counted);
    std::printf("qt      QFileSystemModel+proxy+view: %8.1f ms, longest GUI stall %7.1f ms\n", qtMs, qtStall);
    std::printf("browser library browser: %8.1f ms, longest GUI stall %7.1f ms\n", ourMs, ourStall);
    std::printf("ratio   browser/qt time %.2f (target <= 0.5), browser/qt stall %.2f (target <= 0.1), "
                "browser/floor %.1f (goal 3)\n",
                ourMs / qtMs, ourStall / qtStall, ourMs / floorMs);
    return 0;
}
