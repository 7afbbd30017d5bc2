#include "CFilterBlock.h"
#include "CHostContext.h"
#include "CSearchSelection.h"
#include "NRResult.h"

#include <QtTest>

#include <cstring>
#include <vector>

namespace {

QByteArray sampleBlock(const QString& path)
{
    CFilterBlock b;
    b.AppendInclude(QStringLiteral("Docs"), path, true, true, 0);
    return b.ToByteArray();
}

} // namespace

class TestHostContext : public QObject
{
    Q_OBJECT
private slots:
    void taskBlocksFollowSizeProtocol();
    void refusesWhatItCannotStore();
    void imagePathProtocol();
    void generatesFilterFromSearchSelection();
    void refusesBrokenSearchSelection_data();
    void refusesBrokenSearchSelection();
};

void TestHostContext::taskBlocksFollowSizeProtocol()
{
    auto data = std::make_shared<CHostTaskData>();
    data->taskFilter = sampleBlock(QStringLiteral("D:\\Work\\Docs"));
    CBackupHostContext ctx(data);
    IUIFileOperation* op = &ctx;

    // A buffer one byte short is a size query, like a null one (the backup road asks so), and
    // leaves the buffer alone.
    const uint32_t needed = uint32_t(data->taskFilter.size());
    QByteArray buf(int(needed), '\xEE');
    uint32_t size = needed - 1;
    QCOMPARE(op->GetTaskFilter(buf.data(), &size), NRResult::kBufferTooSmall);
    QCOMPARE(size, needed);
    QCOMPARE(buf, QByteArray(int(needed), '\xEE'));
    QCOMPARE(op->GetTaskFilter(buf.data(), &size), uint32_t(0));
    QCOMPARE(buf, data->taskFilter);
    QVERIFY(op->GetTaskFilter(buf.data(), nullptr) != 0);

    // No second block stored: a plain failure with size 0, never 0x24C.
    size = 99;
    const uint32_t none = op->GetTaskSecondFilter(nullptr, &size);
    QVERIFY(none != 0 && none != NRResult::kBufferTooSmall);
    QCOMPARE(size, uint32_t(0));
}

void TestHostContext::refusesWhatItCannotStore()
{
    auto data = std::make_shared<CHostTaskData>();
    CBackupHostContext ctx(data);
    QByteArray bad = sampleBlock(QStringLiteral("C:\\x"));
    bad[0] = 'X';
    QVERIFY(ctx.SetFilter(bad.constData(), uint32_t(bad.size())) != 0);
    QVERIFY(ctx.SetFilter(nullptr, 64) != 0);
    QVERIFY(ctx.SetCredentials(nullptr, 1) != 0);
    QVERIFY(ctx.SetCredentials("x", 0x7FFFFFFF) != 0);
    QVERIFY(ctx.SetNetworkLocations(nullptr, 3) != 0);
    // A refusal the host is configured to give reaches the caller, and nothing is kept.
    data->setFilterResult = 0x12345001;
    const QByteArray good = sampleBlock(QStringLiteral("C:\\x"));
    QCOMPARE(ctx.SetFilter(good.constData(), uint32_t(good.size())), uint32_t(0x12345001));
    QVERIFY(data->filters.isEmpty() && data->credentials.isEmpty() && data->networkLocations.isEmpty());

    // The description comes in a 260-unit buffer: an unterminated one is read no further.
    std::vector<char16_t> text(260, u'a');
    QCOMPARE(ctx.SetSourceDescription(text.data()), uint32_t(0));
    QCOMPARE(data->sourceDescriptions.last().size(), CHostBackup::kMaxDescription);
    QVERIFY(ctx.SetSourceDescription(nullptr) != 0);
}

void TestHostContext::imagePathProtocol()
{
    auto data = std::make_shared<CHostTaskData>();
    data->imagePath = QStringLiteral("/tmp/images/backup.tar");
    CDiskRestoreHostContext ctx(data);
    IUIImagePathSource* src = static_cast<IUIDiskRestore*>(&ctx);
    // The recovery road reads the path as the module does, an empty one included; here the edge:
    // the capacity counts the terminator, so exactly the length is one short.
    const uint32_t length = uint32_t(data->imagePath.size());
    std::vector<char16_t> buf(length + 1, u'#');
    uint32_t capacity = length;
    QCOMPARE(src->GetImagePath(buf.data(), &capacity), NRResult::kBufferTooSmall);
    QCOMPARE(buf[0], u'#');
    capacity = length + 1;
    QCOMPARE(src->GetImagePath(buf.data(), &capacity), uint32_t(0));
    QCOMPARE(QString::fromUtf16(buf.data()), data->imagePath);
}

void TestHostContext::generatesFilterFromSearchSelection()
{
    auto data = std::make_shared<CHostTaskData>();
    CFileRestoreHostContext ctx(data);
    CSearchSelection sel;
    QCOMPARE(sel.Allocate(4), 0u);
    QCOMPARE(sel.Append({true, QStringLiteral("C:\\Users\\x\\Docs"), QString()}), 0u);
    QCOMPARE(sel.Append({false, QStringLiteral("C:\\Users\\x\\a.docx"), QStringLiteral("a.docx")}), 0u);
    // A name longer than its field is left out whole (a path too long shows on the recovery road).
    QCOMPARE(sel.Append({false, QStringLiteral("C:\\n"), QString(1024, 'n')}), CSearchSelection::kErrNameTooLong);

    uint32_t size = sel.Size();
    void* block = nullptr;
    QCOMPARE(ctx.GenerateFilter(sel.Data(), &size, &block), uint32_t(0));
    QVERIFY(block);
    CFilterBlock parsed;
    QCOMPARE(parsed.Parse(block, size), uint32_t(0));
    QCOMPARE(parsed.Count(), 2);
    QCOMPARE(parsed.Entries()[0].name, QStringLiteral("Docs"));
    QVERIFY(parsed.Entries()[0].IsFolder() && parsed.Entries()[0].IsWholePath());
    QVERIFY(!parsed.Entries()[1].IsFolder());
    QCOMPARE(data->generatedBlocksOut, 1);

    // Only blocks this context made are freed, each once.
    int foreign = 0;
    ctx.FreeGeneratedFilter(&foreign);
    QCOMPARE(data->generatedBlocksOut, 1);
    ctx.FreeGeneratedFilter(block);
    ctx.FreeGeneratedFilter(block);
    QCOMPARE(data->generatedBlocksOut, 0);

    // Nothing describable: no block, size 0, not a failure.
    CSearchSelection empty;
    QCOMPARE(empty.Allocate(1), 0u);
    size = empty.Size();
    QCOMPARE(ctx.GenerateFilter(empty.Data(), &size, &block), uint32_t(0));
    QCOMPARE(size, uint32_t(0));
    QVERIFY(!block);
    QCOMPARE(data->searchSelections.size(), 2);
}

void TestHostContext::refusesBrokenSearchSelection_data()
{
    QTest::addColumn<int>("at");      // byte to overwrite (-1: none)
    QTest::addColumn<int>("value");   // its new 32-bit value
    QTest::addColumn<int>("cut");     // bytes taken off the end
    const int path = int(CSearchSelection::kCountSize + CSearchSelection::kPathOffset);
    QTest::newRow("absurd count") << 0 << 0x7FFFFFFF << 0;
    QTest::newRow("records cut short") << -1 << 0 << 1;
    QTest::newRow("no count") << -1 << 0 << int(CSearchSelection::kCountSize + 2 * CSearchSelection::kRecordSize) - 2;
    QTest::newRow("folder flag 2") << int(CSearchSelection::kCountSize) << 2 << 0;
    // 260 units without a terminator: the path field is full.
    QTest::newRow("unterminated path") << path + 2 * 258 << 0x00410041 << 0;
}

void TestHostContext::refusesBrokenSearchSelection()
{
    QFETCH(int, at);
    QFETCH(int, value);
    QFETCH(int, cut);
    CSearchSelection sel;
    QCOMPARE(sel.Allocate(2), 0u);
    QCOMPARE(sel.Append({false, QStringLiteral("C:\\") + QString(255, 'a'), QStringLiteral("a")}), 0u);
    QByteArray bytes(static_cast<const char*>(sel.Data()), int(sel.Size()));
    if (at >= 0)
        std::memcpy(bytes.data() + at, &value, sizeof value);
    bytes.chop(cut);

    auto data = std::make_shared<CHostTaskData>();
    CFileRestoreHostContext ctx(data);
    uint32_t size = uint32_t(bytes.size());
    void* block = nullptr;
    QVERIFY(NRResult::Failed(ctx.GenerateFilter(bytes.constData(), &size, &block)));
    QVERIFY(!block);
    QCOMPARE(size, 0u);
    QVERIFY(data->searchSelections.isEmpty());
}

QTEST_GUILESS_MAIN(TestHostContext)
#include "tst_hostcontext.moc"
