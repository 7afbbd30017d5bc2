#include "CFilterBlock.h"
#include "CKWBrowserFilterProc.h"

#include <QtTest>

#include <cstring>

namespace {

QByteArray makeBlock(uint32_t type)
{
    CFilterBlock block;
    block.SetSelectionType(type);
    const uint32_t inc = block.AppendInclude(QStringLiteral("Docs"), QStringLiteral("C:\\Docs"), true, true, 3);
    block.AppendExclude(inc, QStringLiteral("tmp"), QStringLiteral("C:\\Docs\\tmp"), true, 3);
    QByteArray bytes = block.ToByteArray();
    // Room behind the block, so that a size field that lies stays inside this buffer.
    bytes.reserve(bytes.size() + 4096);
    return bytes;
}

void putU32(QByteArray& bytes, int offset, uint32_t value) { std::memcpy(bytes.data() + offset, &value, 4); }
void putU8(QByteArray& bytes, int offset, uint8_t value) { bytes[offset] = char(value); }

int identify(bool full, QByteArray& bytes)
{
    return CKWBrowserFilterProc(full).IDentifyFilterType(reinterpret_cast<_NR_FILTERS_HEAD*>(bytes.data()));
}

} // namespace

class TestFilterProc : public QObject
{
    Q_OBJECT
private slots:
    void validBlocksByType()
    {
        QByteArray paths = makeBlock(CFilterBlock::kSelectPaths);
        QByteArray types = makeBlock(CFilterBlock::kSelectFileTypes);
        QVERIFY(!paths.isEmpty());
        for (bool full : {true, false}) {
            QCOMPARE(identify(full, paths), 0);
            QCOMPARE(identify(full, types), 1);
        }
        QCOMPARE(CKWBrowserFilterProc(true).IdentifyFilterType(paths.constData(), size_t(paths.size())), 0);
        QCOMPARE(CKWBrowserFilterProc(true).IDentifyFilterType(nullptr), -1);
    }

    void invalidHeadersAreRefused_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<uint32_t>("value");
        QTest::newRow("magic") << 0 << uint32_t(0x52544C47);
        QTest::newRow("version") << 4 << uint32_t(2);
        QTest::newRow("size below header") << 8 << uint32_t(20);
        QTest::newRow("no entries") << 12 << uint32_t(0);
        QTest::newRow("selection type") << 16 << uint32_t(7);
    }
    void invalidHeadersAreRefused()
    {
        QFETCH(int, offset);
        QFETCH(uint32_t, value);
        QByteArray bytes = makeBlock(CFilterBlock::kSelectPaths);
        putU32(bytes, offset, value);
        QCOMPARE(identify(true, bytes), -1);
        QCOMPARE(identify(false, bytes), -1);
    }

    void brokenEntriesAreRefusedByFullValidation()
    {
        // The first entry's name offset points past the entry.
        QByteArray bytes = makeBlock(CFilterBlock::kSelectPaths);
        putU8(bytes, int(CFilterBlock::kHeadSize) + 5, 0xF0);
        QCOMPARE(identify(true, bytes), -1);
        QCOMPARE(identify(false, bytes), 0); // header-only reading does not look at entries

        // A size field larger than the buffer the caller knows of.
        QByteArray whole = makeBlock(CFilterBlock::kSelectFileTypes);
        CKWBrowserFilterProc proc(true);
        QCOMPARE(proc.IdentifyFilterType(whole.constData(), size_t(whole.size() - 1)), -1);
        QCOMPARE(proc.IdentifyFilterType(whole.constData(), 55), -1);
    }
};

QTEST_MAIN(TestFilterProc)
#include "tst_filterproc.moc"
