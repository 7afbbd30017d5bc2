#pragma once
// The whole road of a selection, as a user takes it: a random tree of files, a random selection
// made by clicks in the backup page, the backup through the demo host, a random selection in the
// recovery page (by clicks in the image's tree, or by ticking search results), the restore
// through the demo host into an empty folder, and a check that exactly what was selected came
// back, byte for byte with its time and permission bits. Shared by the suite's test (a few
// seeds, beside the host's window flow, which starts its host the same way) and the long run in
// bench/.
#include "CDemoHost.h"
#include "CDemoOptions.h"
#include "CDemoWindow.h"
#include "CFileBRManager.h"
#include "CFileBackupLogicMgr.h"
#include "CFileBackupUI.h"
#include "CFileRecoveryLogicMgr.h"
#include "CFileRecoveryUI.h"
#include "CKWComboBox.h"
#include "CSearchRecoveryLineEdit.h"
#include "CUISearchFileData.h"
#include "CMsgBox.h"
#include "FbTestUtil.h"
#include "ImageFiles.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>

namespace roundtrip {

struct File
{
    QString rel; // below the drive, '/'-separated
    QByteArray content;
    qint64 mtime;
    uint mode;
};

inline bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The demo host's window, while it is open.
inline CDemoWindow* HostWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<CDemoWindow*>(w))
            return window;
    }
    return nullptr;
}

// The demo host started in this process as `demohost args` starts it; what it prints is kept.
struct LocalHost
{
    QString out, err;
    QTextStream outStream{&out}, errStream{&err};
    std::unique_ptr<CDemoHost> host;

    // Why it did not start; empty when it did.
    QString Start(const QStringList& args)
    {
        CDemoOptions options;
        QString error;
        if (!options.Parse(QStringList{QStringLiteral("demohost")} + args, &error))
            return error;
        host.reset(new CDemoHost(options, outStream, errStream));
        return host->Start() ? QString() : QStringLiteral("the demo host did not start: %1").arg(err);
    }
};

// One run of the road over one random tree.
class Run
{
public:
    // `dir` is an empty folder for everything the run writes.
    Run(const QString& dir, quint32 seed, int files) : m_dir(dir), m_rng(seed), m_fileCount(files) {}

    QString Why() const { return m_why; }

    // Files of 0 bytes to a few MiB, in folders up to 8 deep, with spaces, letters beyond ASCII
    // and mixed case in their names (no two names in a folder differ in case alone).
    bool MakeTree()
    {
        static const char* const stems[] = {"Docs", "read me", "Bj\xc3\xb6rk", "na\xc3\xafve caf\xc3\xa9",
                                            "\xe6\x97\xa5\xe6\x9c\xac", "MixedCase", "x", ("\xc3\x9c" "ber Al\xc3\xa9s"),
                                            "2024 Report", "Notes"};
        static const char* const exts[] = {".txt", ".DAT", ".bin", ".Docx", ""};
        QStringList folders{QStringLiteral("Users")};
        QHash<QString, QSet<QString>> taken;
        auto freshName = [&](const QString& parent, const char* ext) {
            for (;;) {
                const QString name = QString::fromUtf8(stems[m_rng.bounded(10)]) + QLatin1Char(' ')
                                     + QString::number(m_rng.bounded(1000)) + QString::fromLatin1(ext);
                if (!taken[parent].contains(name.toUpper())) {
                    taken[parent].insert(name.toUpper());
                    return name;
                }
            }
        };
        // A deep chain, then folders hanging anywhere above depth 7.
        QString deep = QStringLiteral("Users");
        for (int d = 0; d < 7; ++d)
            folders << (deep += QLatin1Char('/') + freshName(deep, ""));
        for (int i = 0; i < m_fileCount / 4; ++i) {
            const QString parent = folders.at(int(m_rng.bounded(folders.size())));
            if (parent.count(QLatin1Char('/')) < 7)
                folders << parent + QLatin1Char('/') + freshName(parent, "");
        }
        for (const QString& f : folders) {
            if (!QDir().mkpath(Source() + QLatin1Char('/') + f))
                return fail(QStringLiteral("cannot make %1").arg(f));
        }
        static const uint modes[] = {0644, 0600, 0640, 0755, 0444};
        for (int i = 0; i < m_fileCount; ++i) {
            const QString parent = folders.at(int(m_rng.bounded(folders.size())));
            File f{parent + QLatin1Char('/') + freshName(parent, exts[m_rng.bounded(5)]), QByteArray(),
                   qint64(1000000000 + m_rng.bounded(700000000)), modes[m_rng.bounded(5)]};
            int size = m_rng.bounded(10) < 2 ? 0 : int(m_rng.bounded(16 * 1024));
            if (i < 2 && m_fileCount >= 10)
                size = 2 * 1024 * 1024 + int(m_rng.bounded(3 * 1024 * 1024)); // several MiB
            f.content.resize(size);
            for (char& c : f.content)
                c = char(m_rng.generate());
            if (!write(f))
                return fail(QStringLiteral("cannot write %1").arg(f.rel));
            m_files.append(f);
        }
        m_folders = folders;
        if (!WriteTestFile(Ini(), QStringLiteral("[Drives]\nC=%1\n[Options]\nEnvironment=0\n").arg(Source()).toUtf8()))
            return fail(QStringLiteral("cannot write the drive table"));
        return true;
    }

    // Random clicks on rows of the backup page (folders and files, each click toggling the row),
    // then OK: the demo host writes the image. The files the clicks select are what the image
    // must hold, no more.
    bool Backup(int clicks)
    {
        CDemoHost* host = open({QStringLiteral("--page"), QStringLiteral("8"), QStringLiteral("--image"), Image()});
        if (!host)
            return false;
        auto* tree = static_cast<CFileBrower*>(static_cast<CFileBRManager*>(host->PageInterface())->BackupManager()->GetPage()->GetBrower(0));
        QHash<QString, bool> decisions;
        if (!clickRows(tree, CGetDataCommon::ComputerName() + QStringLiteral("/C:/"), m_folders, m_files, clicks, &decisions))
            return false;
        m_backedUp = selected(decisions, m_files);
        if (!finish(host))
            return false;
        QMap<QString, QByteArray> members;
        if (!imagetest::ReadImage(Image(), &members))
            return fail(QStringLiteral("the image cannot be read"));
        QSet<QString> inImage;
        for (auto it = members.begin(); it != members.end(); ++it)
            inImage.insert(it.key().mid(3)); // "C:/"
        if (inImage != m_backedUp)
            return fail(QStringLiteral("the image holds %1 file(s), %2 were selected").arg(inImage.size()).arg(m_backedUp.size()));
        return true;
    }

    // In the recovery page over the image: random clicks in the image's tree, which starts all
    // ticked, or (bySearch) ticks on random results of a search over the whole image. OK restores
    // into an empty folder, where exactly the files selected must come back, byte for byte, with
    // their times and permission bits.
    bool Restore(int clicks, bool bySearch)
    {
        const QString target = m_dir + (bySearch ? QStringLiteral("/back-search") : QStringLiteral("/back-tree"));
        CDemoHost* host = open({QStringLiteral("--page"), QStringLiteral("39"), QStringLiteral("--image"), Image(),
                                QStringLiteral("--target"), target});
        if (!host)
            return false;
        CFileRecoveryLogicMgr* page = static_cast<CFileBRManager*>(host->PageInterface())->RecoveryManager();
        CFileBrower* tree = static_cast<CFileBrower*>(page->GetPage()->GetDefaultTree());
        if (!WaitFor([&] { return tree->Model()->CheckState(tree->GetRootIndex()) == Qt::Checked; }, 60000))
            return fail(QStringLiteral("the recovery page did not load the image"));
        QVector<File> inImage;
        QStringList folders;
        for (const File& f : m_files) {
            if (!m_backedUp.contains(f.rel))
                continue;
            inImage << f;
            for (QString at = f.rel.section(QLatin1Char('/'), 0, -2); !at.isEmpty(); at = at.section(QLatin1Char('/'), 0, -2))
                folders << at;
        }
        folders.removeDuplicates();
        QHash<QString, bool> decisions{{QString(), true}}; // the whole image, ticked on load
        if (bySearch) {
            decisions.clear();
            page->GetPage()->ScopeCombo()->setCurrentIndex(1); // "All folder"
            page->GetPage()->SearchEdit()->setText(QStringLiteral("*"));
            page->GetPage()->SearchEdit()->OnSearch();
            fbtest::Settle(tree);
            page->RunningSearch()->WaitIdle();
            QCoreApplication::processEvents();
            QAbstractItemModel* results = page->GetPage()->GetSearchTree()->GetSearchModel();
            // By path (the list's own order depends on its sort), ticked as a click does.
            QMap<QString, int> byPath;
            for (int r = 0; r < results->rowCount(); ++r)
                byPath.insert(results->index(r, 4).data().toString(), r);
            const QStringList hits = byPath.keys();
            if (hits.isEmpty())
                return fail(QStringLiteral("the search over the image found nothing"));
            for (int i = 0; i < clicks; ++i) {
                QString path = hits.at(int(m_rng.bounded(hits.size())));
                if (!results->setData(results->index(byPath.value(path), 0), Qt::Checked, Qt::CheckStateRole))
                    return fail(QStringLiteral("a search result cannot be ticked"));
                decisions.insert(path.mid(3).replace(QLatin1Char('\\'), QLatin1Char('/')), true);
            }
        } else {
            if (!clickRows(tree, QStringLiteral("C:/"), folders, inImage, clicks, &decisions))
                return false;
        }
        const QSet<QString> expected = selected(decisions, inImage);
        if (!finish(host))
            return false;
        return compare(target + QStringLiteral("/C"), expected);
    }

    QString Source() const { return m_dir + QStringLiteral("/src"); }
    QString Image() const { return m_dir + QStringLiteral("/image.tar"); }
    QString Ini() const { return m_dir + QStringLiteral("/default.ini"); }

protected:
    bool fail(const QString& why)
    {
        if (m_why.isEmpty())
            m_why = why;
        return false;
    }

    bool write(const File& f)
    {
        const QString path = Source() + QLatin1Char('/') + f.rel;
        if (!WriteTestFile(path, f.content))
            return false;
        const QByteArray local = QFile::encodeName(path);
        const timespec times[2] = {{f.mtime, 0}, {f.mtime, 0}};
        return chmod(local.constData(), f.mode) == 0 && utimensat(AT_FDCWD, local.constData(), times, 0) == 0;
    }

    // Starts the demo host in this process over the run's drive table, its window shown.
    CDemoHost* open(const QStringList& args)
    {
        m_local.reset(new LocalHost);
        const QString why = m_local->Start(QStringList{QStringLiteral("--ini"), Ini()} + args);
        if (!why.isEmpty()) {
            fail(why);
            return nullptr;
        }
        return m_local->host.get();
    }

    // OK, and the host's backup or restore to its end (the window goes when it is over).
    bool finish(CDemoHost* host)
    {
        CDemoWindow* window = HostWindow();
        if (!window)
            return fail(QStringLiteral("no host window"));
        QPointer<CDemoWindow> alive(window);
        QMetaObject::invokeMethod(window, "DoOk");
        if (!WaitFor([&] { return alive.isNull(); }, 120000))
            return fail(QStringLiteral("the host did not finish: %1").arg(m_local->out.right(2000)));
        const int code = host->ExitCode();
        m_local->host.reset();
        if (code != 0)
            return fail(QStringLiteral("the host ended with %1: %2 %3").arg(code).arg(m_local->out.right(2000), m_local->err));
        return true;
    }

    // The files restored below `root` are the expected ones, each as it was written.
    bool compare(const QString& root, const QSet<QString>& expected)
    {
        QSet<QString> found;
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.insert(QDir(root).relativeFilePath(it.next()));
        if (found != expected)
            return fail(QStringLiteral("%1 file(s) restored, %2 selected; first differing: %3")
                            .arg(found.size())
                            .arg(expected.size())
                            .arg((found - expected).isEmpty() ? *(expected - found).begin() : *(found - expected).begin()));
        for (const File& f : m_files) {
            if (!expected.contains(f.rel))
                continue;
            const QString path = root + QLatin1Char('/') + f.rel;
            QFile in(path);
            struct stat st;
            if (!in.open(QIODevice::ReadOnly) || in.readAll() != f.content)
                return fail(QStringLiteral("%1 came back with other bytes").arg(f.rel));
            if (stat(QFile::encodeName(path).constData(), &st) != 0 || st.st_mtime != f.mtime || (st.st_mode & 07777) != f.mode)
                return fail(QStringLiteral("%1 came back with another time or mode").arg(f.rel));
        }
        return true;
    }

    // Random clicks on rows (folders and files) of a page's tree below `top`, at least `clicks` and
    // until a file is selected (a page refuses OK with nothing selected).
    bool clickRows(CFileBrower* tree, const QString& top, const QStringList& folders, const QVector<File>& files, int clicks,
                   QHash<QString, bool>* decisions)
    {
        for (int i = 0; i < clicks || selected(*decisions, files).isEmpty(); ++i) {
            const int n = int(m_rng.bounded(folders.size() + files.size()));
            const QString rel = n < folders.size() ? folders.at(n) : files.at(n - folders.size()).rel;
            const NodeIndex node = fbtest::Reach(tree, (top + rel).split(QLatin1Char('/')));
            if (!node)
                return fail(QStringLiteral("the page shows no %1").arg(rel));
            click(tree, node, rel, decisions);
        }
        return true;
    }

    // A click on the row's box: a ticked row is unticked, any other ticked, with all below it,
    // so the click replaces the decisions made below the row before.
    static void click(IFileBrower* tree, NodeIndex node, const QString& rel, QHash<QString, bool>* decisions)
    {
        const bool check = static_cast<CFileBrower*>(tree)->Model()->CheckState(node) != Qt::Checked;
        tree->SetNodeCheckState(node, check ? Qt::Checked : Qt::Unchecked);
        for (auto it = decisions->begin(); it != decisions->end();) {
            if (it.key().startsWith(rel + QLatin1Char('/')))
                it = decisions->erase(it);
            else
                ++it;
        }
        decisions->insert(rel, check);
    }

    // The files a set of decisions selects: the deepest decision on a file's path holds.
    static QSet<QString> selected(const QHash<QString, bool>& decisions, const QVector<File>& files)
    {
        QSet<QString> out;
        for (const File& f : files) {
            // Up to "", the drive.
            for (QString at = f.rel;; at = at.section(QLatin1Char('/'), 0, -2)) {
                const auto d = decisions.constFind(at);
                if (d != decisions.constEnd()) {
                    if (d.value())
                        out.insert(f.rel);
                    break;
                }
                if (at.isEmpty())
                    break;
            }
        }
        return out;
    }

    QString m_dir;
    QRandomGenerator m_rng;
    int m_fileCount;
    QString m_why;
    QVector<File> m_files;
    QStringList m_folders;
    QSet<QString> m_backedUp;
    std::unique_ptr<LocalHost> m_local;
};

} // namespace roundtrip
