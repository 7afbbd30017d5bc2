#include "WriteTestFile.h"
#include "CBackupImageWriter.h"
#include "CFilterBlock.h"
#include "CSelectionResolver.h"
#include "CStorageMap.h"
#include "ImageReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <unistd.h>

// A committed selection turned into files and written into an image, over a temporary drive.
class TestSelectionResolver : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void deepestRuleWinsAndLinksAreNotFollowed();
    void unusableBlocksAndPathsAreReported();
    void imageHoldsTheFilesAndFailuresLeaveNone();

private:
    void write(const QString& relative, const QByteArray& content);
    QStringList members(const CSelectionResolver& r) const;

    QTemporaryDir m_tmp;
    CStorageMap m_map;
};

void TestSelectionResolver::write(const QString& relative, const QByteArray& content)
{
    QVERIFY(WriteTestFile(m_tmp.filePath(relative), content));
}

QStringList TestSelectionResolver::members(const CSelectionResolver& r) const
{
    QStringList out;
    for (const CSelectionResolver::Item& item : r.Items())
        out << QString::fromUtf8(item.member);
    return out;
}

void TestSelectionResolver::initTestCase()
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
}

void TestSelectionResolver::deepestRuleWinsAndLinksAreNotFollowed()
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
    QVERIFY(r.Items().at(2).symlink); // the link to a folder outside is kept as a link, not walked
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

void TestSelectionResolver::unusableBlocksAndPathsAreReported()
{
    CSelectionResolver r(m_map);
    QCOMPARE(r.Resolve(QByteArray("FLTR garbage")), CSelectionResolver::kErrBadBlock);
    QVERIFY(r.Items().isEmpty());

    CFilterBlock types;
    types.SetSelectionType(CFilterBlock::kSelectFileTypes);
    types.AppendInclude("*.doc", "*.doc", false, false, 0);
    QCOMPARE(r.Resolve(types.ToByteArray()), CSelectionResolver::kErrNotPaths);

    // An unknown drive, a path stepping out and a vanished file are skipped; the rest resolves.
    CFilterBlock block;
    block.AppendInclude("x", "Q:\\x", true, true, 0);
    block.AppendInclude("up", "C:\\Work\\..\\..", true, true, 0);
    block.AppendInclude("gone.txt", "C:\\Work\\gone.txt", false, true, 0);
    block.AppendInclude("Other", "C:\\Work\\Other", true, true, 0);
    QCOMPARE(r.Resolve(block.ToByteArray()), 0u);
    QCOMPARE(members(r), QStringList{"C:/Work/Other/o.txt"});
    QCOMPARE(r.Problems().size(), 3);
}

void TestSelectionResolver::imageHoldsTheFilesAndFailuresLeaveNone()
{
    CFilterBlock block;
    block.AppendInclude("Work", "C:\\Work", true, true, 0);
    CSelectionResolver r(m_map);
    QCOMPARE(r.Resolve(block), 0u);
    QString progress;
    QTextStream out(&progress);
    CBackupImageWriter writer;
    for (const char* name : {"img.tar.gz", "img.tar"}) {
        const QString image = m_tmp.filePath(name);
        QCOMPARE(writer.Write(image, r.Items(), out), 0u);
        QCOMPARE(writer.Written(), r.Items().size());
        QMap<QString, QByteArray> content;
        QMap<QString, bool> links;
        QVERIFY(imagetest::ReadImage(image, &content, &links));
        QCOMPARE(content.keys(), members(r));
        QCOMPARE(content.value("C:/Work/Docs/Keep/k.txt"), QByteArray("k"));
        QVERIFY(links.value("C:/Work/ln"));
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
    QCOMPARE(writer.Write(m_tmp.filePath("late.tar"), r.Items(), out), 0u);
    QCOMPARE(writer.Skipped(), 1);

    QCOMPARE(writer.Write(m_tmp.filePath("img.zip"), r.Items(), out), CBackupImageWriter::kErrUnknownKind);
    const QString unreachable = m_tmp.filePath("no/such/dir/img.tar");
    QCOMPARE(writer.Write(unreachable, r.Items(), out), CBackupImageWriter::kErrWrite);
    QVERIFY(!QFile::exists(unreachable) && !QFile::exists(unreachable + ".part"));
}

QTEST_GUILESS_MAIN(TestSelectionResolver)
#include "tst_selectionresolver.moc"
