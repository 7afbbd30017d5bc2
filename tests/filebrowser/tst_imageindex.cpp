#include "CImageIndex.h"
#include "CNameCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>

#include <sys/stat.h>

namespace {

struct Member
{
    QByteArray path;
    mode_t type;
    QByteArray content;
    qint64 mtime;
};

// Writes an archive of the members with libarchive, the way a backup writes an image.
bool writeArchive(const QString& file, int format, int filter, const QList<Member>& members)
{
    struct archive* a = archive_write_new();
    archive_write_set_format(a, format);
    if (filter != ARCHIVE_FILTER_NONE)
        archive_write_add_filter(a, filter);
    if (archive_write_open_filename(a, QFile::encodeName(file).constData()) != ARCHIVE_OK) {
        archive_write_free(a);
        return false;
    }
    for (const Member& m : members) {
        struct archive_entry* e = archive_entry_new();
        archive_entry_copy_pathname(e, m.path.constData());
        archive_entry_set_filetype(e, m.type);
        archive_entry_set_perm(e, m.type == AE_IFDIR ? 0755 : 0640);
        archive_entry_set_mtime(e, time_t(m.mtime), 0);
        if (m.type == AE_IFLNK)
            archive_entry_copy_symlink(e, m.content.constData());
        else
            archive_entry_set_size(e, m.type == AE_IFREG ? m.content.size() : 0);
        archive_write_header(a, e);
        if (m.type == AE_IFREG && !m.content.isEmpty())
            archive_write_data(a, m.content.constData(), size_t(m.content.size()));
        archive_entry_free(e);
    }
    const bool ok = archive_write_close(a) == ARCHIVE_OK;
    archive_write_free(a);
    return ok;
}

QList<Member> sampleMembers()
{
    return {
        {"C:/Users/x/a.txt", AE_IFREG, "alpha", 1600000000},
        {"C:/Users/x/Report.DOCX", AE_IFREG, "word", 1600000001},
        {"C:/Users/y/", AE_IFDIR, "", 1500000000},
        {"D:/data/file.bin", AE_IFREG, QByteArray(3000, 'z'), 1600000002},
        {"./rel/one", AE_IFREG, "1", 1600000003},
        {"C:/Users/x/link", AE_IFLNK, "a.txt", 1600000004},
        {"C:/caf\xE9/.hidden", AE_IFREG, "", 1600000005},
        {"../evil", AE_IFREG, "no", 1600000006},
        {"C:/Users/../../escape", AE_IFREG, "no", 1600000007},
    };
}

QStringList allPaths(const CImageIndex& index)
{
    QStringList paths;
    for (uint32_t i = 1; i < index.Count(); ++i)
        paths.append(index.Path(i) + (index.IsDir(i) ? QStringLiteral("\\") : QString()));
    paths.sort();
    return paths;
}

} // namespace

class TestImageIndex : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString file(const char* name) const { return m_tmp.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY(writeArchive(file("img.tar"), ARCHIVE_FORMAT_TAR_PAX_RESTRICTED, ARCHIVE_FILTER_NONE, sampleMembers()));
        QVERIFY(writeArchive(file("img.tar.gz"), ARCHIVE_FORMAT_TAR_PAX_RESTRICTED, ARCHIVE_FILTER_GZIP, sampleMembers()));
        // Zip and 7z keep names as UTF-8 or UTF-16 text, so bytes that are not UTF-8 stay out.
        QList<Member> textNames = sampleMembers();
        textNames.removeAt(6);
        QVERIFY(writeArchive(file("img.zip"), ARCHIVE_FORMAT_ZIP, ARCHIVE_FILTER_NONE, textNames));
        QVERIFY(writeArchive(file("img.7z"), ARCHIVE_FORMAT_7ZIP, ARCHIVE_FILTER_NONE, textNames));
    }

    void treeOfATar()
    {
        CImageIndex index;
        QCOMPARE(index.Build(file("img.tar")), 0u);
        QCOMPARE(index.SkippedCount(), 2u); // the two members climbing out with ".."

        // Root children in archive order; the drive folders are implied by member paths.
        QCOMPARE(index.ChildCount(CImageIndex::kRoot), 3u);
        const uint32_t c = index.Children(CImageIndex::kRoot)[0];
        QCOMPARE(index.Name(c), QStringLiteral("C:"));
        QVERIFY(index.IsImplied(c));
        QCOMPARE(index.Record(c).kind, CEntryRecord::kDrive);
        QCOMPARE(index.Record(index.Find(QStringLiteral("rel"))).kind, CEntryRecord::kDir);

        const uint32_t a = index.Find(QStringLiteral("C:\\Users\\x\\a.txt"));
        QVERIFY(a != CImageIndex::kNone);
        QCOMPARE(index.Find(QStringLiteral("C:/Users/x/a.txt")), a);
        // Only the drive letter is found in another case: image names keep theirs.
        QCOMPARE(index.Find(QStringLiteral("c:\\Users\\x\\a.txt")), a);
        QCOMPARE(index.Find(QStringLiteral("C:\\USERS\\X\\A.TXT")), CImageIndex::kNone);
        QCOMPARE(index.Path(a), QStringLiteral("C:\\Users\\x\\a.txt"));
        QCOMPARE(index.MemberPath(a), QByteArray("C:/Users/x/a.txt"));
        const CEntryRecord r = index.Record(a);
        QCOMPARE(r.kind, CEntryRecord::kFile);
        QCOMPARE(r.size, qint64(5));
        QCOMPARE(r.mtimeMs, qint64(1600000000) * 1000);
        QCOMPARE(r.permissions & 0x7777u, 0x6640u);
        QCOMPARE(r.key, a);

        const uint32_t y = index.Find(QStringLiteral("C:\\Users\\y"));
        QVERIFY(index.IsDir(y) && !index.IsImplied(y));
        QCOMPARE(index.MtimeMs(y), qint64(1500000000) * 1000);
        QCOMPARE(index.ChildCount(y), 0u);
        QCOMPARE(index.ChildCount(index.Find(QStringLiteral("C:\\Users\\x"))), 3u);
        QVERIFY(index.Record(index.Find(QStringLiteral("C:\\Users\\x\\link"))).symlink);

        // A name that is not UTF-8 keeps its bytes; the leading dot hides it.
        const uint32_t hidden = index.Find(QStringLiteral("C:\\caf") + QChar(0xDCE9) + QStringLiteral("\\.hidden"));
        QVERIFY(hidden != CImageIndex::kNone);
        QVERIFY(index.Record(hidden).hidden);
        QCOMPARE(index.MemberPath(hidden), QByteArray("C:/caf\xE9/.hidden"));

        QCOMPARE(index.Find(QString()), CImageIndex::kRoot);
        QCOMPARE(index.Find(QStringLiteral("C:\\nope")), CImageIndex::kNone);
        QCOMPARE(index.Find(QStringLiteral("escape")), CImageIndex::kNone);
        QCOMPARE(index.Find(QStringLiteral("evil")), CImageIndex::kNone);
    }

    void everyFormatGivesTheSameTree()
    {
        CImageIndex tar;
        QCOMPARE(tar.Build(file("img.tar")), 0u);
        const QStringList expected = allPaths(tar);
        QCOMPARE(expected.size(), 14);
        QStringList textOnly;
        for (const QString& p : expected) {
            if (!p.contains(QChar(0xDCE9)))
                textOnly.append(p);
        }
        QCOMPARE(textOnly.size(), 12);
        for (const char* name : {"img.tar.gz", "img.zip", "img.7z"}) {
            CImageIndex other;
            QCOMPARE(other.Build(file(name)), 0u);
            QCOMPARE(other.SkippedCount(), 2u);
            QCOMPARE(allPaths(other), qstrcmp(name, "img.tar.gz") == 0 ? expected : textOnly);
            QCOMPARE(other.Size(other.Find(QStringLiteral("D:\\data\\file.bin"))), qint64(3000));
        }
    }

    void laterMembersWin()
    {
        CImageIndex index;
        index.AddMember("a/f", 3, S_IFREG | 0644, 1, 0);
        index.AddMember("a/f", 3, S_IFREG | 0644, 2, 0);  // appended again
        index.AddMember("b", 1, S_IFREG | 0644, 7, 0);
        index.AddMember("b/inner", 7, S_IFREG | 0644, 1, 0); // a folder where a file was
        index.AddMember("b", 1, S_IFREG | 0644, 9, 0);       // and a file over that folder
        index.AddMember("a", 1, S_IFDIR | 0700, 0, 5000);   // explicit entry for an implied folder
        index.AddMember("", 0, S_IFREG, 0, 0);
        index.AddMember("/", 1, S_IFDIR, 0, 0);
        index.Finish();
        QCOMPARE(index.Count(), 5u);
        QCOMPARE(index.Size(index.Find(QStringLiteral("a/f"))), qint64(2));
        const uint32_t b = index.Find(QStringLiteral("b"));
        QVERIFY(index.IsDir(b));
        QCOMPARE(index.ChildCount(b), 1u);
        const uint32_t a = index.Find(QStringLiteral("a"));
        QVERIFY(!index.IsImplied(a));
        QCOMPARE(index.MtimeMs(a), qint64(5000));
    }

    void badImagesGiveACodeAndAnEmptyTree()
    {
        const QByteArray tar = [this] {
            QFile f(file("img.tar"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(tar.size() > 4096);
        auto writeBytes = [this](const char* name, const QByteArray& bytes) {
            QFile f(file(name));
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(bytes);
            return file(name);
        };
        QByteArray gz;
        {
            QFile f(file("img.tar.gz"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            gz = f.readAll();
        }
        QByteArray zip;
        {
            QFile f(file("img.zip"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            zip = f.readAll();
        }

        struct Case
        {
            const char* name;
            QByteArray bytes;
            uint32_t code;
        };
        QByteArray garbage(5000, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) & 0xFF);
        const QList<Case> cases = {
            {"cut-in-header.tar", tar.left(512 * 3 + 100), CImageIndex::kErrTruncated},
            {"cut-in-data.tar", tar.left(tar.indexOf("D:/data/file.bin") + 1600), CImageIndex::kErrTruncated},
            {"cut.tar.gz", gz.left(gz.size() / 2), CImageIndex::kErrTruncated},
            {"garbage.bin", garbage, CImageIndex::kErrNotAnImage},
            {"empty.tar", QByteArray(), CImageIndex::kErrNotAnImage},
            // A file list naming files of this machine is not an image.
            {"list.mtree", "#mtree\nC:/x type=file\n", CImageIndex::kErrNotAnImage},
        };
        for (const Case& c : cases) {
            CImageIndex index;
            index.AddMember("stale", 5, S_IFREG, 1, 0);
            const uint32_t r = index.Build(writeBytes(c.name, c.bytes));
            QVERIFY2(r == c.code, qPrintable(QStringLiteral("%1: 0x%2 %3").arg(QLatin1String(c.name)).arg(r, 8, 16, QLatin1Char('0')).arg(index.ErrorText())));
            QCOMPARE(index.Count(), 1u);
            QCOMPARE(index.ChildCount(CImageIndex::kRoot), 0u);
        }

        // A zip cut inside its members: whatever libarchive notices first, it is a failure and
        // nothing is kept. (Losing only the central directory at the end loses no member.)
        for (int cut : {zip.size() / 2, 40}) {
            CImageIndex index;
            const uint32_t r = index.Build(writeBytes("cut.zip", zip.left(cut)));
            QVERIFY2(NRResult::Failed(r), qPrintable(QString::number(cut)));
            QCOMPARE(index.Count(), 1u);
        }

        CImageIndex index;
        QCOMPARE(index.Build(file("no-such.tar")), CImageIndex::kErrOpenFailed);
        QCOMPARE(index.Build(m_tmp.path()), CImageIndex::kErrNotAnImage);
        QCOMPARE(index.Build(QString()), CImageIndex::kErrOpenFailed);
    }

    // Archives made by scripts/make-archives.py (the hostile_archives fixture).
    void hostileImages_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("count"); // entries, the root included
        QTest::addColumn<uint>("skipped");
        QTest::addColumn<QString>("present");
        QTest::newRow("refused at '..' after naming folders") << "phantom.tar" << 0u << 3u << 1u << "D:\\kept.txt";
        QString atLimit = QStringLiteral("C:");
        for (uint32_t i = 2; i < CImageIndex::kMaxDepth; ++i)
            atLimit += QStringLiteral("\\d");
        QTest::newRow("nested to the bound and one beyond") << "deep.tar" << 0u << CImageIndex::kMaxDepth + 1 << 1u
                                                            << atLimit + QStringLiteral("\\at-limit");
        QTest::newRow("100 KB implying millions of folders")
            << "implied-folders.tar.gz" << CImageIndex::kErrTooLarge << 1u << 0u << QString();
    }
    void hostileImages()
    {
        QFETCH(QString, image);
        QFETCH(uint, code);
        CImageIndex index;
        QCOMPARE(index.Build(QStringLiteral(NR_HOSTILE_DIR "/") + image), code);
        QFETCH(uint, count);
        QCOMPARE(index.Count(), count);
        QFETCH(uint, skipped);
        QCOMPARE(index.SkippedCount(), skipped);
        QFETCH(QString, present);
        if (!present.isEmpty())
            QVERIFY(index.Find(present) != CImageIndex::kNone);
        if (code == CImageIndex::kErrTooLarge)
            QVERIFY2(index.ErrorText().contains(QLatin1String("more entries")), qPrintable(index.ErrorText()));
    }

    // Seconds at the ends of 64 bits have no milliseconds: such a time is unknown, not wrapped.
    void timesBeyondMilliseconds_data()
    {
        QTest::addColumn<QString>("image");
        QTest::newRow("GNU base-256") << "mtime-gnu.tar";
        QTest::newRow("pax record") << "mtime-pax.tar";
    }
    void timesBeyondMilliseconds()
    {
        QFETCH(QString, image);
        CImageIndex index;
        QCOMPARE(index.Build(QStringLiteral(NR_HOSTILE_DIR "/") + image), 0u);
        auto time = [&](const char* name) { return index.MtimeMs(index.Find(QStringLiteral("C:\\t\\") + QLatin1String(name))); };
        QCOMPARE(time("max.txt"), CEntryRecord::kUnknownTime);
        QCOMPARE(time("min.txt"), CEntryRecord::kUnknownTime);
        QCOMPARE(time("edge.txt"), std::numeric_limits<qint64>::max() / 1000 * 1000);
        QCOMPARE(time("plain.txt"), qint64(1600000000) * 1000);
        QVERIFY(!index.Record(index.Find(QStringLiteral("C:\\t\\max.txt"))).Modified().isValid());
    }

    void buildCanBeCancelled()
    {
        QList<Member> many;
        for (int i = 0; i < 3000; ++i)
            many.append({"dir/f" + QByteArray::number(i), AE_IFREG, QByteArray(), 0});
        QVERIFY(writeArchive(file("many.tar"), ARCHIVE_FORMAT_TAR_USTAR, ARCHIVE_FILTER_NONE, many));
        CImageIndex index;
        QCOMPARE(index.Build(file("many.tar")), 0u);
        QCOMPARE(index.Count(), 3002u);
        const std::atomic_bool cancel(true);
        QCOMPARE(index.Build(file("many.tar"), &cancel), CImageIndex::kErrCancelled);
        QCOMPARE(index.Count(), 1u);
    }
};

QTEST_GUILESS_MAIN(TestImageIndex)
#include "tst_imageindex.moc"
