// The small product components the module loads by name: the match-filter component that writes
// a shell launch's initial selection, the options component and the storage component's
// NAS path conversion.
#include "CFilterBlock.h"
#include "CLibLoader.h"
#include "CStorageMap.h"
#include "IMatchStr.h"
#include "IProductOptions.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <memory>

namespace {

IMatchStr::Item item(const QString& path, bool folder)
{
    IMatchStr::Item it;
    it.flags = folder ? IMatchStr::kItemFlagFolder : 0;
    std::memcpy(it.path, path.utf16(), size_t(path.size()) * 2);
    return it;
}

void writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestComponents : public QObject
{
    Q_OBJECT
private slots:
    void matchStrWritesOneWholePathIncludePerItem()
    {
        std::unique_ptr<IMatchStr> match(
            static_cast<IMatchStr*>(CLibLoader::CreateNRObject(QStringLiteral("MatchStr"), IMatchStr::kObjectId)));
        QVERIFY(match);
        QByteArray block(1024, '\x55');
        QCOMPARE(match->AddItem(block.data(), 1024, nullptr), 0u);
        QCOMPARE(match->UsedSize(block.constData(), 1024), CFilterBlock::kHeadSize);
        const IMatchStr::Item folder = item(QStringLiteral("D:\\Work\\Docs"), true);
        const IMatchStr::Item file = item(QStringLiteral("C:\\a.txt"), false);
        QCOMPARE(match->AddItem(block.data(), 1024, &folder), 0u);
        QCOMPARE(match->AddItem(block.data(), 1024, &file), 0u);

        CFilterBlock parsed;
        QCOMPARE(parsed.Parse(block.constData(), match->UsedSize(block.constData(), 1024)), 0u);
        QCOMPARE(parsed.Count(), 2);
        const CFilterBlock::Entry& first = parsed.Entries()[0];
        QCOMPARE(first.path, QStringLiteral("D:\\Work\\Docs"));
        QCOMPARE(first.name, QStringLiteral("Docs"));
        QVERIFY(first.IsFolder() && first.IsWholePath() && !first.IsExclusion());
        QVERIFY(!parsed.Entries()[1].IsFolder());
    }

    void matchStrRefusesWhatDoesNotFit()
    {
        std::unique_ptr<IMatchStr> match(
            static_cast<IMatchStr*>(CLibLoader::CreateNRObject(QStringLiteral("MatchStr"), IMatchStr::kObjectId)));
        QVERIFY(match);
        QByteArray small(64, '\0');
        QCOMPARE(match->AddItem(small.data(), 64, nullptr), 0u);
        const IMatchStr::Item longPath = item(QStringLiteral("C:\\") + QString(40, QLatin1Char('x')), true);
        QVERIFY(match->AddItem(small.data(), 64, &longPath) != 0);
        // The block is left as it was: still a valid empty selection.
        QCOMPARE(match->UsedSize(small.constData(), 64), CFilterBlock::kHeadSize);
        const IMatchStr::Item empty = item(QString(), false);
        QVERIFY(match->AddItem(small.data(), 64, &empty) != 0);
        QByteArray garbage(128, '\x7f');
        QVERIFY(match->AddItem(garbage.data(), 128, &longPath) != 0); // not a block
        QVERIFY(match->AddItem(nullptr, 128, nullptr) != 0);
        QVERIFY(!CLibLoader::CreateNRObject(QStringLiteral("MatchStr"), 1)); // unknown object id
    }

    void optionsComponentReadsTheEnvironment()
    {
        QTemporaryDir dir;
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        std::unique_ptr<IProductOptions> options(static_cast<IProductOptions*>(
            CLibLoader::CreateNRObject(QStringLiteral("NROptions"), IProductOptions::kObjectId)));
        QVERIFY(options);
        QCOMPARE(options->EnvironmentAnswer(), 0u); // no configuration: a desktop session
        writeFile(dir.filePath(QStringLiteral("default.ini")), "[Options]\nEnvironment=3\n");
        QCOMPARE(options->EnvironmentAnswer(), 3u);
        writeFile(dir.filePath(QStringLiteral("default.ini")), "[Options]\nEnvironment=abc\n");
        QCOMPARE(options->EnvironmentAnswer(), 0u);
        QDir::setCurrent(old);
    }

    void pathShiftTurnsNasPathsIntoUncPaths()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("default.ini"));
        writeFile(ini, "[NAS]\nbox=\\\\nas1\n");
        CStorageMap::SetIniPath(ini);
        CStorageMap::Reload();
        typedef int (*PathShiftFn)(const char16_t*, char16_t*, uint32_t);
        auto shift = reinterpret_cast<PathShiftFn>(CLibLoader::Resolve(QStringLiteral("FileStorage"), "PathShift"));
        QVERIFY(shift);
        char16_t out[272] = {};
        const QString nas = QStringLiteral("NAS://box/share/dir");
        QCOMPARE(shift(reinterpret_cast<const char16_t*>(nas.utf16()), out, 272), 0);
        QCOMPARE(QString::fromUtf16(out), QStringLiteral("\\\\nas1\\share\\dir"));
        const QString local = QStringLiteral("C:\\data");
        QCOMPARE(shift(reinterpret_cast<const char16_t*>(local.utf16()), out, 272), 0);
        QCOMPARE(QString::fromUtf16(out), local);
        const QString unknown = QStringLiteral("NAS://nobody/share");
        QVERIFY(shift(reinterpret_cast<const char16_t*>(unknown.utf16()), out, 272) != 0);
        QVERIFY(shift(reinterpret_cast<const char16_t*>(nas.utf16()), out, 5) != 0); // no room
    }
};

QTEST_MAIN(TestComponents)
#include "tst_components.moc"
