// Memory of a 1,000,000-member zip image: the index alone against the image data source that
// serves it to a browser (index, root and one opened folder), each measured as the growth of the
// peak resident size of a fresh process, so the two figures compare in the same run.
//
//   bench_image_memory [image-dir]     (default /tmp; images written there when missing)
//
// Two images of 1,000,000 empty files: 1,000 folders of 1,000 files (one folder opened), and one
// folder of all of them (opened: every member becomes a node of the browser).
#include "BenchImage.h"
#include "CFileBrower.h"
#include "CGetDataCommon.h"
#include "CImageIndex.h"
#include "CLvAutoPtrEx.h"
#include "CLvFileSystemNode.h"
#include "CLvFileSystemNodeMgr.h"
#include "NRFileBrowserPara.h"

#include <QApplication>
#include <QFile>
#include <QProcess>

#include <cstdio>

#include <sys/resource.h>

namespace {

long peakKb()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

bool writeImage(const QString& path, bool flat)
{
    BenchImageWriter image(path, ARCHIVE_FORMAT_ZIP, "zip:compression=store");
    for (int d = 0; d < 1000; ++d) {
        const QByteArray folder = flat ? QByteArray() : "/folder" + QByteArray::number(d);
        for (int f = 0; f < 1000; ++f)
            image.Add("C:/Data" + folder + "/file " + QByteArray::number(d * 1000 + f) + ".txt", false, 1700000000 + f);
    }
    return image.Close();
}

// One measurement in this process; prints "<peak growth KB> <index bytes>".
int measure(const QString& mode, const QString& image, const QStringList& folders)
{
    const long before = peakKb();
    size_t indexBytes = 0;
    if (mode == QLatin1String("--index")) {
        CImageIndex index;
        if (index.Build(image) != 0)
            return 1;
        indexBytes = index.MemoryBytes();
        std::printf("%ld %zu\n", peakKb() - before, indexBytes);
        return 0;
    }
    const QByteArray path = image.toUtf8();
    _CFileBrowserPara para;
    para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles | CFileBrower::kOptImage;
    para.imagePath = path.constData();
    IFileBrower* b = IFileBrower::CreateInstance(&para, nullptr, nullptr);
    QSharedPointer<CGetDataCommon> source = b ? b->GetDataSource() : QSharedPointer<CGetDataCommon>();
    if (!source)
        return 1;
    source->WaitIdle();
    QCoreApplication::processEvents();
    // Open one folder of 1,000 files, as a user browsing the image would.
    CFileBrower* browser = static_cast<CFileBrower*>(b);
    NodeIndex folder = browser->GetRootIndex();
    for (const QString& name : folders) {
        source->WaitIdle();
        QCoreApplication::processEvents();
        CLvAutoPtrEx<CLvFileSystemNode> n(CLvFileSystemNodeMgr::GetNode(folder));
        folder = n ? n->ChildByName(name) : 0;
        if (!folder)
            return 1;
        source->Expand(folder);
    }
    source->WaitIdle();
    QCoreApplication::processEvents();
    std::printf("%ld 0\n", peakKb() - before);
    delete b;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args[1].startsWith(QLatin1String("--")))
        return measure(args[1], args[2], args.mid(3));
    const QString dir = args.size() > 1 ? args[1] : QStringLiteral("/tmp");
    struct Layout
    {
        const char* title;
        const char* file;
        bool flat;
        QStringList open;
    };
    const Layout layouts[] = {
        {"1,000 folders of 1,000", "nr-bench-1m.zip", false, {"C:", "Data", "folder500"}},
        {"one folder of 1,000,000", "nr-bench-1m-flat.zip", true, {"C:", "Data"}},
    };
    auto run = [&](const QStringList& arguments, long* kb, qulonglong* bytes) {
        QProcess p;
        p.start(app.applicationFilePath(), arguments);
        p.waitForFinished(-1);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (p.exitCode() != 0 || f.size() != 2)
            return false;
        *kb = f[0].toLong();
        *bytes = f[1].toULongLong();
        return true;
    };
    for (const Layout& layout : layouts) {
        const QString image = dir + QLatin1Char('/') + QLatin1String(layout.file);
        if (!QFile::exists(image)) {
            std::printf("writing %s ...\n", qPrintable(image));
            if (!writeImage(image, layout.flat))
                return 1;
        }
        long indexKb = 0, sourceKb = 0;
        qulonglong indexBytes = 0, unused = 0;
        if (!run({QStringLiteral("--index"), image}, &indexKb, &indexBytes) ||
            !run(QStringList{QStringLiteral("--source"), image} + layout.open, &sourceKb, &unused)) {
            std::printf("measurement failed\n");
            return 1;
        }
        std::printf("%s (%s)\n", layout.title, qPrintable(image));
        std::printf("  index alone:        peak +%7.1f MB (index %.1f MB)\n", indexKb / 1024.0, indexBytes / 1048576.0);
        std::printf("  image data source:  peak +%7.1f MB   ratio %.2fx the index alone\n", sourceKb / 1024.0,
                    double(sourceKb) / double(indexKb));
    }
    return 0;
}
