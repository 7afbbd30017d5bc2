#include "CLocalEnumerator.h"
#include "CNameCodec.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestLocalEnumerator : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QByteArray m_dir; // the folder listed: <tmp>/top/list

    QByteArray at(const char* rel) const { return m_dir + '/' + rel; }

    static void touch(const QByteArray& path, const QByteArray& content = QByteArray())
    {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }

    // Lists a folder completely; fails the test on a listing error.
    static QHash<QString, CEntryRecord> listAll(const QByteArray& dir, int* batches = nullptr, int batchSize = 1000)
    {
        QHash<QString, CEntryRecord> all;
        int count = 0;
        bool sawLast = false;
        const uint32_t r = CLocalEnumerator(batchSize).List(dir, [&](CEntryBatch&& b, bool last) {
            ++count;
            sawLast = last;
            for (const CEntryRecord& e : b)
                all.insert(e.name, e);
        });
        if (r != 0 || !sawLast)
            qWarning("listing failed: 0x%08X", r);
        if (batches)
            *batches = count;
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        const QByteArray top = QFile::encodeName(m_tmp.path()) + "/top";
        QVERIFY(::mkdir(top.constData(), 0755) == 0);
        m_dir = top + "/list";
        QVERIFY(::mkdir(m_dir.constData(), 0755) == 0);
        QVERIFY(::mkdir(at("sub").constData(), 0755) == 0);
        QVERIFY(::mkdir((top + "/other").constData(), 0755) == 0);
        touch(at("a.txt"), "hello");
        touch(at(".hidden"));
        touch(at("caf\xE9.doc"), "xy");
        touch(at("back\\slash"));
        QVERIFY(::symlink("..", at("up").constData()) == 0);
        QVERIFY(::symlink(".", at("self").constData()) == 0);
        QVERIFY(::symlink("sub/..", at("round").constData()) == 0);
        QVERIFY(::symlink("../other", at("sibling").constData()) == 0);
        QVERIFY(::symlink("a.txt", at("alias").constData()) == 0);
        QVERIFY(::symlink("nothing-here", at("dangling").constData()) == 0);
        QVERIFY(::mkfifo(at("pipe").constData(), 0600) == 0);
        QVERIFY(::chmod(at("a.txt").constData(), 0640) == 0);
        const struct timespec times[2] = {{1000000000, 0}, {1700000000, 123000000}};
        QVERIFY(::utimensat(AT_FDCWD, at("a.txt").constData(), times, 0) == 0);
    }

    void recordsOfEveryKind()
    {
        const QHash<QString, CEntryRecord> all = listAll(m_dir);
        QCOMPARE(all.size(), 12);

        const CEntryRecord a = all.value(QStringLiteral("a.txt"));
        QCOMPARE(a.kind, CEntryRecord::kFile);
        QCOMPARE(a.size, qint64(5));
        QCOMPARE(a.mtimeMs, qint64(1700000000123));
        QCOMPARE(a.Modified().toString(Qt::ISODate), QStringLiteral("2023-11-14T22:13:20Z"));
        QCOMPARE(a.permissions & 0x7077u, 0x6040u); // owner rw, group r, other none
        QVERIFY(a.permissions & 0x400u);            // readable by us (owner, or root)
        QVERIFY(!a.hidden && !a.symlink);

        QVERIFY(all.value(QStringLiteral(".hidden")).hidden);
        QCOMPARE(all.value(QStringLiteral("sub")).kind, CEntryRecord::kDir);
        QCOMPARE(all.value(QStringLiteral("pipe")).kind, CEntryRecord::kSystem);

        // Names that are not UTF-8, or carry a backslash, come back as the same bytes.
        const QString odd = CNameCodec::DecodeName(QByteArray("caf\xE9.doc"));
        QVERIFY(all.contains(odd));
        QCOMPARE(all.value(odd).size, qint64(2));
        QCOMPARE(CNameCodec::EncodeName(odd), QByteArray("caf\xE9.doc"));
        QVERIFY(all.contains(CNameCodec::DecodeName(QByteArray("back\\slash"))));
    }

    void linksAreShownNotFollowedIntoLoops()
    {
        const QHash<QString, CEntryRecord> all = listAll(m_dir);
        for (const char* loop : {"up", "self", "round"}) {
            const CEntryRecord e = all.value(QString::fromLatin1(loop));
            QVERIFY2(e.symlink && e.kind == CEntryRecord::kDir && e.loop, loop);
        }
        const CEntryRecord sibling = all.value(QStringLiteral("sibling"));
        QVERIFY(sibling.symlink && sibling.kind == CEntryRecord::kDir && !sibling.loop);
        const CEntryRecord alias = all.value(QStringLiteral("alias"));
        QVERIFY(alias.symlink && alias.kind == CEntryRecord::kFile);
        QCOMPARE(alias.size, qint64(5));
        const CEntryRecord dangling = all.value(QStringLiteral("dangling"));
        QVERIFY(dangling.symlink && dangling.kind == CEntryRecord::kFile && dangling.size == 0);

        // Reached through a link, the folder we came from is a loop too.
        const QHash<QString, CEntryRecord> viaLink = listAll(at("sibling"));
        QVERIFY(viaLink.isEmpty());
        QVERIFY(::symlink("../list", (QFile::encodeName(m_tmp.path()) + "/top/other/list-again").constData()) == 0);
        const QHash<QString, CEntryRecord> again = listAll(at("sibling"));
        QVERIFY(again.value(QStringLiteral("list-again")).loop);
    }

    void batchesAndTheLastFlag()
    {
        const QByteArray many = QFile::encodeName(m_tmp.path()) + "/many";
        QVERIFY(::mkdir(many.constData(), 0755) == 0);
        for (int i = 0; i < 19; ++i)
            touch(many + "/f" + QByteArray::number(i));
        touch(many + "/F1b");
        QList<int> sizes;
        QList<bool> lasts;
        QStringList names;
        const uint32_t r = CLocalEnumerator(7).List(many, [&](CEntryBatch&& b, bool last) {
            sizes.append(b.size());
            lasts.append(last);
            for (const CEntryRecord& e : b)
                names.append(e.name);
        });
        QCOMPARE(r, 0u);
        QCOMPARE(sizes, (QList<int>{7, 7, 6}));
        QCOMPARE(lasts, (QList<bool>{false, false, true}));
        // Handed out in natural name order across batches, not in the folder's hash order.
        QCOMPARE(names.mid(0, 5), (QStringList{"f0", "f1", "F1b", "f2", "f3"}));
        QCOMPARE(names.mid(10, 3), (QStringList{"f9", "f10", "f11"}));

        // An empty folder still gets its (empty) last batch.
        const QByteArray empty = many + "/f0.d";
        QVERIFY(::mkdir(empty.constData(), 0755) == 0);
        int batches = 0;
        QVERIFY(listAll(empty, &batches).isEmpty());
        QCOMPARE(batches, 1);
    }

    void cancelStopsWithoutALastBatch()
    {
        std::atomic_bool cancel(false);
        bool sawLast = false;
        int batches = 0;
        const uint32_t r = CLocalEnumerator(2).List(m_dir, [&](CEntryBatch&&, bool last) {
            ++batches;
            sawLast = sawLast || last;
            cancel = true;
        }, &cancel);
        QCOMPARE(r, CLocalEnumerator::kErrCancelled);
        QCOMPARE(batches, 1);
        QVERIFY(!sawLast);
    }

    void foldersThatCannotBeListed()
    {
        auto never = [](CEntryBatch&&, bool) { QFAIL("no batch expected"); };
        const CLocalEnumerator e;
        QCOMPARE(e.List(at("no-such-folder"), never), CLocalEnumerator::kErrVanished);
        QCOMPARE(e.List(at("a.txt"), never), CLocalEnumerator::kErrNotAFolder);
        QCOMPARE(e.List(at("a.txt/below"), never), CLocalEnumerator::kErrNotAFolder);
        QCOMPARE(e.List(QByteArray(), never), CLocalEnumerator::kErrBadArgument);
    }

    void unreadableFolder()
    {
        const QByteArray locked = QFile::encodeName(m_tmp.path()) + "/locked";
        QVERIFY(::mkdir(locked.constData(), 0000) == 0);
        // Privileged users read it anyway; then there is nothing to test.
        const int fd = ::open(locked.constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            ::close(fd);
            ::chmod(locked.constData(), 0755);
            QSKIP("running with rights that ignore folder permissions");
        }
        const uint32_t r = CLocalEnumerator().List(locked, [](CEntryBatch&&, bool) {});
        ::chmod(locked.constData(), 0755);
        QCOMPARE(r, CLocalEnumerator::kErrUnreadable);
    }

    void cleanupTestCase()
    {
        // QDir cannot name what is not UTF-8, so this one goes by its bytes.
        ::unlink(at("caf\xE9.doc").constData());
    }
};

QTEST_GUILESS_MAIN(TestLocalEnumerator)
#include "tst_localenumerator.moc"
