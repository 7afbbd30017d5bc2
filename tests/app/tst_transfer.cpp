#include "CBackupImageWriter.h"
#include "CFilterBlock.h"
#include "CImageIndex.h"
#include "CRestoreEngine.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include "CTransferSink.h"
#include "ImageFiles.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using imagetest::Member;

// The demo host's two transfer engines. A committed selection is turned into files, over a
// temporary drive, and written into an image. The restore engine, over images written member by
// member: what a block selects comes back with its data, time and permission bits in every image
// kind; nothing lands outside the target; existing files are kept; a cancelled run leaves no
// half-written file; problems are listed and the run goes on.
class TestTransfer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void deepestRuleWinsAndLinksAreNotFollowed();
    void unusableBlocksAndPathsAreReported();
    void imageHoldsTheFilesAndFailuresLeaveNone();
    void restoresWhatTheBlockSelects_data();
    void restoresWhatTheBlockSelects();
    void refusesWhatWouldLandOutside_data();
    void refusesWhatWouldLandOutside();
    void existingFilesAreKeptUnlessOverwriting();
    void cancelLeavesNoHalfWrittenFile_data();
    void cancelLeavesNoHalfWrittenFile();
    void problemsAreListedAndTheRunGoesOn();

private:
    void write(const QString& relative, const QByteArray& content);

    QTemporaryDir m_tmp;
    CStorageMap m_map;
    QByteArray m_big;
};

namespace {

// Cancels the run once a MiB has been restored.
struct CancelAfterAMiB : CTransferSink
{
    qint64 done = 0;
    void Bytes(qint64 count) override
    {
        if ((done += count) >= 1024 * 1024)
            Cancel();
    }
};

// One row per image kind. A tar is read where its members lie, the others in order.
void addKinds(std::initializer_list<const char*> kinds)
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : kinds)
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

// A block of whole-path includes.
CFilterBlock includes(const QStringList& paths)
{
    CFilterBlock block;
    for (const QString& path : paths)
        block.AppendInclude(path.section(QLatin1Char('\\'), -1), path, true, true, 0);
    return block;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Permission bits and modification time.
QPair<uint, qint64> modeAndTime(const QString& path)
{
    struct stat st;
    lstat(QFile::encodeName(path).constData(), &st);
    return {uint(st.st_mode & 07777), qint64(st.st_mtime)};
}

QStringList filesBelow(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

// The files a resolver found, by their names in the image.
QStringList members(const CSelectionResolver& r)
{
    QStringList out;
    for (const CSelectionResolver::Item& item : r.Items()) {
        if (!item.folder)
            out << QString::fromUtf8(item.member);
    }
    return out;
}

} // namespace

void TestTransfer::write(const QString& relative, const QByteArray& content)
{
    QVERIFY(WriteTestFile(m_tmp.filePath(relative), content));
}

void TestTransfer::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    write("c/Work/top.txt", "top");
    write("c/Work/Docs/a.txt", "a");
    write("c/Work/Docs/Keep/k.txt", "k");
    write("c/Work/Other/o.txt", "o");
    write("outside/secret.txt", "s");
    write("c/Case/Makefile", "upper");
    write("c/Case/makefile", "lower");
    QVERIFY(symlink(QFile::encodeName(m_tmp.filePath("outside")).constData(),
                    QFile::encodeName(m_tmp.filePath("c/Work/ln")).constData()) == 0);
    QVERIFY(symlink("top.txt", QFile::encodeName(m_tmp.filePath("c/Work/flink")).constData()) == 0);
    write("default.ini", QStringLiteral("[Drives]\nC=%1\n").arg(m_tmp.filePath("c")).toUtf8());
    m_map.Load(m_tmp.filePath("default.ini"), QString());
    // Several MiB that no shift or cut leaves equal.
    m_big.resize(3 * 1024 * 1024 + 123);
    for (int i = 0; i < m_big.size(); ++i)
        m_big[i] = char(i * 7 + i / 251);
}

void TestTransfer::deepestRuleWinsAndLinksAreNotFollowed()
{
    // The nested include comes first in the block and the exclusion's drive letter is spelled in
    // other case: neither the block's order nor the letter's case decides, the path does.
    CFilterBlock block;
    block.AppendInclude("Keep", "C:\\Work\\Docs\\Keep", true, true, 0);
    const uint32_t work = block.AppendInclude("Work", "C:\\Work\\", true, true, 0);
    block.AppendExclude(work, "Docs", "c:\\Work\\Docs", true, 0);
    block.AppendExclude(work, "o.txt", "C:\\Work\\Other\\o.txt", false, 0);
    CSelectionResolver r(m_map);
    QCOMPARE(r.Resolve(block), 0u);
    QCOMPARE(members(r), (QStringList{"C:/Work/Docs/Keep/k.txt", "C:/Work/flink", "C:/Work/ln", "C:/Work/top.txt"}));
    // The link to a folder outside is kept as a link, not walked; folders walked are items too.
    QVERIFY(std::any_of(r.Items().begin(), r.Items().end(), [](const CSelectionResolver::Item& i) { return i.member == "C:/Work/ln" && i.symlink; }));
    QCOMPARE(r.Items().size() - members(r).size(), 3); // Work, Work/Docs/Keep, Work/Other (its one file left out)
    QVERIFY(r.Problems().isEmpty());

    // An include inside an include adds nothing twice; a single file can be a root.
    CFilterBlock nested;
    nested.AppendInclude("Work", "C:\\Work", true, true, 0);
    nested.AppendInclude("Keep", "C:\\Work\\Docs\\Keep", true, true, 0);
    nested.AppendInclude("top.txt", "C:\\Work\\top.txt", false, true, 0);
    QCOMPARE(r.Resolve(nested), 0u);
    QCOMPARE(members(r).size(), 6);
    QCOMPARE(members(r).removeDuplicates(), 0);

    // Names that differ only in case are two files here: a rule for one leaves the other alone.
    CFilterBlock cased;
    const uint32_t dir = cased.AppendInclude("Case", "C:\\Case", true, true, 0);
    cased.AppendExclude(dir, "makefile", "C:\\Case\\makefile", false, 0);
    QCOMPARE(r.Resolve(cased), 0u);
    QCOMPARE(members(r), QStringList{"C:/Case/Makefile"});
}

void TestTransfer::unusableBlocksAndPathsAreReported()
{
    CSelectionResolver r(m_map);
    QCOMPARE(r.Resolve(QByteArray("FLTR garbage")), CSelectionResolver::kErrBadBlock);
    QVERIFY(r.Items().isEmpty());

    CFilterBlock types;
    types.SetSelectionType(CFilterBlock::kSelectFileTypes);
    types.AppendInclude("*.doc", "*.doc", false, false, 0);
    QCOMPARE(r.Resolve(types.ToByteArray()), CSelectionResolver::kErrNotPaths);

    // An unknown drive, a path stepping out and a vanished file are skipped; the rest resolves.
    const CFilterBlock block = includes({"Q:\\x", "C:\\Work\\..\\..", "C:\\Work\\gone.txt", "C:\\Work\\Other"});
    QCOMPARE(r.Resolve(block.ToByteArray()), 0u);
    QCOMPARE(members(r), QStringList{"C:/Work/Other/o.txt"});
    QCOMPARE(r.Problems().size(), 3);
}

void TestTransfer::imageHoldsTheFilesAndFailuresLeaveNone()
{
    const CFilterBlock block = includes({"C:\\Work"});
    CSelectionResolver r(m_map);
    QCOMPARE(r.Resolve(block), 0u);
    CTransferSink out;
    CImageManifest manifest;
    manifest.guid = QByteArray(16, '\x6B');
    manifest.time = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC);
    manifest.source = QStringLiteral("Local");
    CBackupImageWriter writer;
    for (const char* name : {"img.tar.gz", "img.tar"}) {
        const QString image = m_tmp.filePath(name);
        QCOMPARE(writer.Write(image, r.Items(), manifest, out), 0u);
        QCOMPARE(writer.Written(), members(r).size());
        // The manifest leads the image and reads back as written.
        CImageManifest read;
        QVERIFY(read.Read(image));
        QCOMPARE(read.ToJson(), manifest.ToJson());
        QMap<QString, QByteArray> content;
        QStringList folders;
        QVERIFY(imagetest::ReadImage(image, &content, &folders));
        QCOMPARE(content.keys(), members(r));
        QCOMPARE(folders, (QStringList{"C:/Work/", "C:/Work/Docs/", "C:/Work/Docs/Keep/", "C:/Work/Other/"}));
        QCOMPARE(content.value("C:/Work/Docs/Keep/k.txt"), QByteArray("k"));
        QCOMPARE(content.value("C:/Work/ln"), QFile::encodeName(m_tmp.filePath("outside"))); // a link, not walked
        QCOMPARE(content.value("C:/Work/flink"), QByteArray("top.txt"));
    }
    // A gzip image is compressed: its first bytes are the gzip magic.
    QFile gz(m_tmp.filePath("img.tar.gz"));
    QVERIFY(gz.open(QIODevice::ReadOnly));
    QCOMPARE(gz.read(2), QByteArray("\x1f\x8b"));

    // A file removed after resolving is skipped, the rest still written.
    write("c/Work/late.txt", "late");
    QCOMPARE(r.Resolve(block), 0u);
    QVERIFY(QFile::remove(m_tmp.filePath("c/Work/late.txt")));
    QCOMPARE(writer.Write(m_tmp.filePath("late.tar"), r.Items(), manifest, out), 0u);
    QCOMPARE(writer.Skipped(), 1);

    const QString unreachable = m_tmp.filePath("no/such/dir/img.tar");
    QCOMPARE(writer.Write(unreachable, r.Items(), manifest, out), CBackupImageWriter::kErrWrite);
    QVERIFY(!QFile::exists(unreachable) && !QFile::exists(unreachable + ".part"));
    // A cancelled backup leaves no image either.
    const QString cancelled = m_tmp.filePath("cancelled.tar");
    out.Cancel();
    QCOMPARE(writer.Write(cancelled, r.Items(), manifest, out), CBackupImageWriter::kErrCancelled);
    QVERIFY(!QFile::exists(cancelled) && !QFile::exists(cancelled + ".part"));
}

void TestTransfer::restoresWhatTheBlockSelects_data()
{
    addKinds({"tar", "tar.gz", "zip", "7z"});
}

void TestTransfer::restoresWhatTheBlockSelects()
{
    QFETCH(QString, kind);
    const QString image = m_tmp.filePath("sel." + kind);
    QVERIFY(imagetest::WriteImage(image, kind,
                                  {{"C:/Users/x/Docs/a b.txt", "alpha", AE_IFREG, 0640, 1600000000},
                                   {"C:/Users/x/Docs/Makefile", "upper"},
                                   {"C:/Users/x/Docs/makefile", "lower"},
                                   {"C:/Users/x/Docs/\xc3\xbcn\xc3\xaf.txt", "utf", AE_IFREG, 0600},
                                   {"C:/Users/x/Docs/skip/s.txt", "skipped"},
                                   {"C:/Users/x/Docs/skip/keep/k.txt", "kept"},
                                   {"C:/Users/x/empty/", "", AE_IFDIR, 0700, 1500000000},
                                   {"C:/Users/x/link", "", AE_IFLNK, 0777, 1600000000, "Docs/a b.txt"},
                                   {"C:/Users/x/big.bin", m_big, AE_IFREG, 0755},
                                   {"C:/Users/y/other.txt", "not asked for"},
                                   {"//server/share/d/f.txt", "shared"}}));
    // The exclusion names one of two files whose names differ only in case: the other stays.
    CFilterBlock block;
    const uint32_t x = block.AppendInclude("x", "C:\\Users\\x", true, true, 0);
    block.AppendExclude(x, "skip", "C:\\Users\\x\\Docs\\skip", true, 0);
    block.AppendExclude(x, "makefile", "C:\\Users\\x\\Docs\\makefile", false, 0);
    block.AppendInclude("keep", "C:\\Users\\x\\Docs\\skip\\keep", true, true, 0);
    block.AppendInclude("share", "\\\\server\\share", true, true, 0);

    const QString target = m_tmp.filePath("sel-" + kind);
    CTransferSink sink;
    CRestoreEngine engine;
    QCOMPARE(engine.Run(image, block.ToByteArray(), target, false, sink), 0u);
    QVERIFY2(engine.Refused().isEmpty() && engine.Failed().isEmpty(), qPrintable(engine.Failed().join('\n')));
    QCOMPARE(filesBelow(target),
             (QStringList{"C", "C/Users", "C/Users/x", "C/Users/x/Docs", "C/Users/x/Docs/Makefile", "C/Users/x/Docs/a b.txt",
                          "C/Users/x/Docs/skip", "C/Users/x/Docs/skip/keep", "C/Users/x/Docs/skip/keep/k.txt",
                          QString::fromUtf8("C/Users/x/Docs/\xc3\xbcn\xc3\xaf.txt"), "C/Users/x/big.bin", "C/Users/x/empty",
                          "C/Users/x/link", "server", "server/share", "server/share/d", "server/share/d/f.txt"}));
    QCOMPARE(readAll(target + "/C/Users/x/Docs/Makefile"), QByteArray("upper"));
    QCOMPARE(readAll(target + "/C/Users/x/big.bin"), m_big);
    QCOMPARE(readAll(target + "/server/share/d/f.txt"), QByteArray("shared"));
    QCOMPARE(QFileInfo(target + "/C/Users/x/link").symLinkTarget(), target + "/C/Users/x/Docs/a b.txt");

    QCOMPARE(modeAndTime(target + "/C/Users/x/Docs/a b.txt"), qMakePair(0640u, qint64(1600000000)));
    QCOMPARE(modeAndTime(target + "/C/Users/x/big.bin"), qMakePair(0755u, qint64(1700000000)));
    // The empty folder was selected: made, with its own time and bits, once nothing more went in.
    QCOMPARE(modeAndTime(target + "/C/Users/x/empty"), qMakePair(0700u, qint64(1500000000)));
}

void TestTransfer::refusesWhatWouldLandOutside_data()
{
    addKinds({"tar", "tar.gz"});
}

void TestTransfer::refusesWhatWouldLandOutside()
{
    QFETCH(QString, kind);
    const QString outside = m_tmp.filePath("outside-" + kind);
    QVERIFY(QDir().mkpath(outside));
    const QString image = m_tmp.filePath("hostile." + kind);
    QVERIFY(imagetest::WriteImage(image, kind,
                                  {{"C:/ok.txt", "ok"},
                                   {"../escape.txt", "x"},
                                   {"C:/a/../../up.txt", "x"},
                                   {"/abs.txt", "x"},
                                   {"C:/out", "", AE_IFLNK, 0777, 1600000000, QFile::encodeName(outside)},
                                   {"C:/out/pwn.txt", "x"},
                                   {"C:/pre/p2.txt", "x"}}));
    // A link inside the target that was there before: never followed either.
    const QString target = m_tmp.filePath("hostile-" + kind);
    QVERIFY(QDir().mkpath(target + "/C"));
    QCOMPARE(symlink(QFile::encodeName(outside).constData(), QFile::encodeName(target + "/C/pre").constData()), 0);

    CTransferSink sink;
    CRestoreEngine engine;
    QCOMPARE(engine.Run(image, includes({"C:", "abs.txt"}).ToByteArray(), target, false, sink), 0u);

    QCOMPARE(filesBelow(outside), QStringList());
    QVERIFY(!QFile::exists(m_tmp.filePath("escape.txt")) && !QFile::exists(m_tmp.filePath("up.txt")));
    QCOMPARE(filesBelow(target), (QStringList{"C", "C/ok.txt", "C/out", "C/pre"}));
    QVERIFY(QFileInfo(target + "/C/out").isSymLink());
    const QString refused = engine.Refused().join('\n');
    QCOMPARE(engine.Refused().size(), 5);
    for (const char* what : {"../escape.txt: a path that climbs out", "C:/a/../../up.txt: a path that climbs out",
                             "/abs.txt: an absolute path", "C:/out/pwn.txt: C/out is a symbolic link",
                             "C:/pre/p2.txt: C/pre is a symbolic link"})
        QVERIFY2(refused.contains(QLatin1String(what)), qPrintable(refused));
}

void TestTransfer::existingFilesAreKeptUnlessOverwriting()
{
    const QString image = m_tmp.filePath("exist.tar");
    QVERIFY(imagetest::WriteImage(image, "tar", {{"C:/d/a.txt", "new"}, {"C:/d/.profile", "new"}}));
    const QString target = m_tmp.filePath("exist");
    QVERIFY(WriteTestFile(target + "/C/d/a.txt", "old"));
    QVERIFY(WriteTestFile(target + "/C/d/.profile", "old"));
    const QByteArray block = includes({"C:\\d"}).ToByteArray();
    CTransferSink sink;
    CRestoreEngine engine;
    for (int run = 0; run < 2; ++run) {
        QCOMPARE(engine.Run(image, block, target, false, sink), 0u);
        QCOMPARE(engine.Restored(), 2);
    }
    QCOMPARE(filesBelow(target + "/C/d"),
             (QStringList{".profile", ".profile (1)", ".profile (2)", "a (1).txt", "a (2).txt", "a.txt"}));
    QCOMPARE(readAll(target + "/C/d/a.txt"), QByteArray("old"));
    QCOMPARE(readAll(target + "/C/d/a (2).txt"), QByteArray("new"));

    QCOMPARE(engine.Run(image, block, target, true, sink), 0u);
    QCOMPARE(readAll(target + "/C/d/a.txt"), QByteArray("new"));
    QCOMPARE(filesBelow(target + "/C/d").size(), 6);
}

void TestTransfer::cancelLeavesNoHalfWrittenFile_data()
{
    addKinds({"tar", "tar.gz"});
}

void TestTransfer::cancelLeavesNoHalfWrittenFile()
{
    QFETCH(QString, kind);
    const QString image = m_tmp.filePath("cancel." + kind);
    QVERIFY(imagetest::WriteImage(image, kind, {{"C:/first.txt", "1"}, {"C:/big.bin", m_big}, {"C:/last.txt", "3"}}));
    const QString target = m_tmp.filePath("cancel-" + kind);
    CancelAfterAMiB sink;
    CRestoreEngine engine;
    QCOMPARE(engine.Run(image, includes({"C:"}).ToByteArray(), target, false, sink), CRestoreEngine::kErrCancelled);
    // The complete file stays; the one cut short is gone under every name, the rest never began.
    QCOMPARE(filesBelow(target), (QStringList{"C", "C/first.txt"}));
    QCOMPARE(engine.Restored(), 1);
}

void TestTransfer::problemsAreListedAndTheRunGoesOn()
{
    QVector<Member> members{{"C:/blocked/x.txt", "x"}, {"C:/fine.txt", "fine"}};
    for (int i = 0; i < 40; ++i)
        members.append({"C:/many/" + QByteArray::number(i) + ".bin", m_big.left(64 * 1024 + i)});
    const QString image = m_tmp.filePath("problems.tar.gz");
    QVERIFY(imagetest::WriteImage(image, "tar.gz", members));
    const QString target = m_tmp.filePath("problems");
    QVERIFY(WriteTestFile(target + "/C/blocked", "a file where a folder must go"));
    const QByteArray block = includes({"C:", "C:\\missing"}).ToByteArray();
    CTransferSink sink;
    CRestoreEngine engine;
    QCOMPARE(engine.Run(image, block, target, false, sink), 0u);
    QCOMPARE(engine.Restored(), 41);
    QCOMPARE(engine.Failed().size(), 2);
    QVERIFY2(engine.Failed().join('\n').contains("C/blocked is a file, not a folder"), qPrintable(engine.Failed().join('\n')));
    QVERIFY(engine.Failed().join('\n').contains("C:\\missing: not in the image"));

    // An image cut short after it was opened: what lies before the cut is restored, the rest listed.
    auto index = QSharedPointer<CImageIndex>::create();
    QCOMPARE(index->Build(image), 0u);
    QVERIFY(QFile::resize(image, QFileInfo(image).size() / 2));
    const QString second = m_tmp.filePath("problems-cut");
    QCOMPARE(engine.Run(image, block, second, false, sink, index), CRestoreEngine::kErrRead);
    QVERIFY(engine.Restored() > 0);
    QCOMPARE(engine.Restored() + engine.Failed().size(), 42 + 1); // every member, and the missing path
    QCOMPARE(readAll(second + "/C/fine.txt"), QByteArray("fine"));
}

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
