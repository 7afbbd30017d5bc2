#include "CFloderReader.h"
#include "FakeFolderTree.h"

#include <QThreadPool>
#include <QtTest>

#include <climits>
#include <memory>
#include <utility>

namespace {

constexpr uint32_t kTooSmall = 0x0AB0426B;
constexpr uint32_t kServiceFailure = 0x0AB04001;
constexpr uint32_t kEventIdBadReply = 0x35304001;
constexpr uint32_t kPCDataBadReply = 0x37F04001;
constexpr uint32_t kPCPagingStalled = 0x38604001;

// Every operation of the reader, run once with harmless arguments.
struct Op
{
    const char* name;
    uint32_t cannotRun;
    uint32_t timeout;
    bool timed; // counts towards Elapsed()
    std::function<uint32_t(CFloderReader&)> run;
};

template <typename T>
std::function<uint32_t(CFloderReader&)> records(uint32_t (*call)(CFloderReader&, T**, int*))
{
    return [call](CFloderReader& r) {
        T* recs = nullptr;
        int n = 0;
        const uint32_t result = call(r, &recs, &n);
        CFloderReader::Free(recs);
        return result;
    };
}

QList<Op> allOps()
{
    using R = CFloderReader;
    static char16_t out[R::kMapPathChars];
    return {
        {"GetPCDriverLetter", 0x09D04245, 240000, false,
         records<NRDriveRecord>([](R& r, NRDriveRecord** p, int* n) { return r.GetPCDriverLetter(p, n); })},
        {"GetGroupInfo", 0x0CD04245, 12000000, true,
         records<NRNameRecord>([](R& r, NRNameRecord** p, int* n) { return r.GetGroupInfo(p, n); })},
        {"GetGroupPCInfo", 0x10304245, 60000000, true,
         records<NRNameRecord>([](R& r, NRNameRecord** p, int* n) { return r.GetGroupPCInfo("g", p, n); })},
        {"GetLibInfo", 0x2DA04245, 12000000, false,
         records<NRLibRecord>([](R& r, NRLibRecord** p, int* n) { return r.GetLibInfo(p, n); })},
        {"GetLibNodeInfo", 0x30804245, 12000000, false,
         records<NRLibRecord>([](R& r, NRLibRecord** p, int* n) { return r.GetLibNodeInfo(u"lib", p, n); })},
        {"GetNetMapPath", 0x19C04245, 6000000, false, [](R& r) { return r.GetNetMapPath(u"\\\\s\\x", out); }},
        {"GetNetAcount", 0x17804245, 6000000, true, [](R& r) {
             char* u = nullptr;
             char* p = nullptr;
             const uint32_t result = r.GetNetAcount("\\\\s\\x", &u, &p);
             R::Free(u);
             R::Free(p);
             return result; }},
        {"SetNetAcount", 0x15904245, 6000000, true, [](R& r) { return r.SetNetAcount("\\\\s\\x", "u", "p"); }},
        {"SetNetPCAccout", 0x14104245, 6000000, true, [](R& r) { return r.SetNetPCAccout("pc", "a"); }},
        {"CreateNewDir", 0x29D04245, 6000000, false, [](R& r) { return r.CreateNewDir("C:\\x"); }},
        {"GetEventId", 0x3520400A, 6000000, false, [](R& r) { unsigned id; return r.GetEventId(&id); }},
        {"GetPCData", 0x37E0400A, 6000000, false, [](R& r) {
             int start = 0;
             bool more;
             QSet<QString> names;
             return r.GetPCData(1, &start, &names, &more); }},
    };
}

// A reader on a fake service. The service outlives the release the reader starts on the pool.
struct Rig
{
    FakeFolderTree tree;
    FakeUILogic logic{&tree};
    std::unique_ptr<CFloderReader> reader{new CFloderReader(&logic, nullptr, 2)};
    ~Rig()
    {
        reader.reset();
        QThreadPool::globalInstance()->waitForDone();
    }
};

// Answers `full` complete arrays, then one record fewer than the room.
std::function<uint32_t(int, int*)> fullFor(int full)
{
    auto left = std::make_shared<int>(full);
    return [left](int room, int* count) {
        *count = (*left)-- > 0 ? room : room - 1;
        return 0u;
    };
}

} // namespace

class TestFolderReader : public QObject
{
    Q_OBJECT
    std::unique_ptr<Rig> rig; // a fresh reader on a fresh service for every case

private slots:
    void init() { rig.reset(new Rig); }
    void cleanup() { rig.reset(); }

    void constructionInitialisesAndReleasesOnPool()
    {
        FakeFolderTree tree;
        FakeUILogic logic(&tree);
        const unsigned char guid[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        auto* reader = new CFloderReader(&logic, guid, 2);
        QCOMPARE(logic.askedId, 10u);
        QCOMPARE(tree.initMode, 2u);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(tree.guid), 16), QByteArray(reinterpret_cast<const char*>(guid), 16));
        delete reader;
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(tree.releases.load(), 1);
        QVERIFY(tree.releaseThread.load() != QThread::currentThread());

        // Without a GUID the service is given zeros.
        QCOMPARE(QByteArray(reinterpret_cast<char*>(rig->tree.guid), 16), QByteArray(16, '\0'));
    }

    void everyOperationPassesItsTimeLimitAndIsTimedOrNot()
    {
        rig->tree.sleepMs = 5; // long enough to show on a millisecond tick
        for (const Op& op : allOps()) {
            rig->tree.calls.clear();
            const uint32_t before = rig->reader->Elapsed();
            op.run(*rig->reader);
            QVERIFY2(!rig->tree.calls.isEmpty(), op.name);
            QCOMPARE(rig->tree.calls.first().timeout, op.timeout);
            QVERIFY2((rig->reader->Elapsed() != before) == op.timed, op.name);
        }
    }

    void withoutServiceEveryOperationFailsWithItsCode()
    {
        FakeFolderTree tree;
        FakeUILogic refusing(&tree, 0x12304001);
        FakeUILogic empty(nullptr);
        for (IUILogic* logic : {static_cast<IUILogic*>(&refusing), static_cast<IUILogic*>(&empty), static_cast<IUILogic*>(nullptr)}) {
            CFloderReader reader(logic, nullptr, 2);
            QVERIFY(!reader.HasService());
            for (const Op& op : allOps())
                QCOMPARE(op.run(reader), op.cannotRun);
        }
        QVERIFY(tree.calls.isEmpty());
    }

    void fullArraysGrowOneRecordAtATime()
    {
        // A guess below one starts at the first capacity (a guess above it shows in the capped row
        // of failuresAndUntrustworthyCountsEndTheLoop).
        rig->tree.records = fullFor(4);
        NRNameRecord* groups = nullptr;
        int n = -5;
        QCOMPARE(rig->reader->GetGroupInfo(&groups, &n), 0u);
        QList<int> rooms;
        for (const auto& c : rig->tree.calls)
            rooms << c.room;
        QCOMPARE(rooms, (QList<int>{10, 11, 12, 13, 14}));
        QCOMPARE(n, 13);
        QCOMPARE(NRFolderTreeRecords::Name(groups[12]), std::u16string(u"R12"));
        CFloderReader::Free(groups);
    }

    void tooSmallGrowsOnlyForGroupAndLibraryQueries()
    {
        // "Too small" with the number needed is how the host's own service answers: proved with
        // it. Without a larger need it still grows rather than passing a short answer on.
        auto once = std::make_shared<bool>(true);
        rig->tree.records = [once](int, int* count) {
            *count = 3;
            return std::exchange(*once, false) ? kTooSmall : 0u;
        };
        NRNameRecord* pcs = nullptr;
        int n = 0;
        QCOMPARE(rig->reader->GetGroupPCInfo("Grüppe", &pcs, &n), 0u);
        QCOMPARE(rig->tree.calls.size(), 2);
        QCOMPARE(rig->tree.calls.last().text, QString::fromUtf8("Grüppe"));
        CFloderReader::Free(pcs);

        // For drive letters it is a failure like any other.
        rig->tree.records = [](int, int* count) {
            *count = 40;
            return kTooSmall;
        };
        NRDriveRecord* drives = reinterpret_cast<NRDriveRecord*>(&n);
        n = 0;
        QCOMPARE(rig->reader->GetPCDriverLetter(&drives, &n), kTooSmall);
        QVERIFY(!drives);
        QCOMPARE(n, 0);
    }

    void failuresAndUntrustworthyCountsEndTheLoop_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<uint32_t>("result");
        QTest::addColumn<int>("startCount");
        QTest::addColumn<uint32_t>("expected");
        QTest::addColumn<int>("maxCalls");
        QTest::newRow("service failure") << 0 << kServiceFailure << 0 << kServiceFailure << 1;
        QTest::newRow("negative count") << -1 << 0u << 0 << 0x0CE04001u << 1;
        QTest::newRow("enormous count") << INT_MAX << 0u << 0 << 0x0CE04001u << 1;
        QTest::newRow("never fewer") << -2 << 0u << 0 << 0x0CE04001u << CFloderReader::kMaxRounds;
        QTest::newRow("enormous guess is capped") << -2 << 0u << INT_MAX << 0x0CE04001u << 1;
        QTest::newRow("always too small") << -2 << kTooSmall << 0 << 0x0CE04001u << CFloderReader::kMaxRounds;
    }
    void failuresAndUntrustworthyCountsEndTheLoop()
    {
        QFETCH(int, answer);
        QFETCH(uint32_t, result);
        QFETCH(int, startCount);
        QFETCH(uint32_t, expected);
        QFETCH(int, maxCalls);
        // -2: answer the whole room, forever.
        rig->tree.records = [answer, result](int room, int* count) {
            *count = answer == -2 ? room : answer;
            return result;
        };
        NRNameRecord* groups = nullptr;
        int n = startCount;
        QCOMPARE(rig->reader->GetGroupInfo(&groups, &n), expected);
        QVERIFY(!groups);
        QCOMPARE(n, 0);
        QCOMPARE(rig->tree.calls.size(), maxCalls);
        for (const auto& c : rig->tree.calls)
            QVERIFY(int64_t(c.room) * int64_t(sizeof(NRNameRecord)) <= CFloderReader::kMaxArrayBytes);
    }

    void accountStringsAreConverted()
    {
        rig->tree.user = QString(40, QLatin1Char('u')); // longer than the room: no terminator written
        rig->tree.password = QString::fromUtf8("pässwörd");
        char* user = nullptr;
        char* password = nullptr;
        QCOMPARE(rig->reader->GetNetAcount("\\\\sërver\\share", &user, &password), 0u);
        QCOMPARE(rig->tree.calls.last().text, QString::fromUtf8("\\\\sërver\\share"));
        QCOMPARE(QByteArray(user), QByteArray(31, 'u'));
        QCOMPARE(QString::fromUtf8(password), rig->tree.password);
        CFloderReader::Free(user);
        CFloderReader::Free(password);

        // A failed call leaves the caller with empty strings, not the service's leftovers.
        rig->tree.stringResult = kServiceFailure;
        QCOMPARE(rig->reader->GetNetAcount("\\\\s\\x", &user, &password), kServiceFailure);
        QCOMPARE(QByteArray(user), QByteArray());
        QCOMPARE(QByteArray(password), QByteArray());
        CFloderReader::Free(user);
        CFloderReader::Free(password);
    }

    void eventIdReplies_data()
    {
        QTest::addColumn<QByteArray>("reply"); // null: the service gives no reply buffer
        QTest::addColumn<uint32_t>("serviceResult");
        QTest::addColumn<uint32_t>("expected");
        QTest::addColumn<unsigned>("eventId");
        auto utf16 = [](const char* s) {
            const QString t = QString::fromUtf8(s);
            return QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
        };
        const QByteArray seven = utf16("{\"EventMgrEventID\": 7}");
        QTest::newRow("id") << seven << 0u << 0u << 7u;
        QTest::newRow("no id") << utf16("{\"Other\": 1}") << 0u << 0u << 0u;
        QTest::newRow("odd size, no terminator") << utf16("{\"EventMgrEventID\": 3}") + 'x' << 0u << 0u << 3u;
        QTest::newRow("negative id") << utf16("{\"EventMgrEventID\": -7}") << 0u << kEventIdBadReply << 0u;
        QTest::newRow("id too large") << utf16("{\"EventMgrEventID\": 4294967296}") << 0u << kEventIdBadReply << 0u;
        QTest::newRow("truncated") << utf16("{\"EventMgrEventID\": 7") << 0u << kEventIdBadReply << 0u;
        QTest::newRow("lone surrogate") << QByteArray("\x00\xD8", 2) << 0u << kEventIdBadReply << 0u;
        QTest::newRow("success without a reply") << QByteArray() << 0u << kEventIdBadReply << 0u;
        // A failure is passed on, and a reply sent along with it is still given back (ASan).
        QTest::newRow("failure with a reply") << seven << kServiceFailure << kServiceFailure << 0u;
    }
    void eventIdReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(uint32_t, serviceResult);
        QFETCH(uint32_t, expected);
        QFETCH(unsigned, eventId);
        rig->tree.json = [reply, serviceResult](const QString&, IJSONBuf** out) {
            if (!reply.isNull())
                *out = FakeFolderTree::RawReply(reply);
            return serviceResult;
        };
        unsigned id = 99;
        QCOMPARE(rig->reader->GetEventId(&id), expected);
        QCOMPARE(id, eventId);
        QCOMPARE(rig->tree.calls.last().text, QStringLiteral("{\"EventMgrNeedReData\":0}"));
    }

    void pcDataPagesUntilFinished()
    {
        const QStringList pages = {
            QStringLiteral("{\"EventMgrPCNameArray\":[{\"EventMgrPCName\":\"pc-1\",\"EventMgrGrName\":\"g\"},"
                           "{\"EventMgrPCName\":\"\"},7,{\"EventMgrPCName\":5}],\"EventMgrGetPCDataFinish\":0}"),
            QStringLiteral("{\"EventMgrPCNameArray\":[{\"EventMgrPCName\":\"Pc-2\"},{\"EventMgrPCName\":\"PC-1\"}],"
                           "\"EventMgrGetPCDataFinish\":0}"),
            QStringLiteral("{\"EventMgrPCNameArray\":[{\"EventMgrPCName\":\"straße\"}],\"EventMgrGetPCDataFinish\":1}"),
        };
        auto page = std::make_shared<int>(0);
        rig->tree.json = [pages, page](const QString&, IJSONBuf** out) {
            *out = FakeFolderTree::TextReply(pages.value((*page)++));
            return 0u;
        };
        QSet<QString> names;
        QCOMPARE(rig->reader->CollectPCNames(42, &names), 0u);
        QCOMPARE(names, (QSet<QString>{QStringLiteral("PC-1"), QStringLiteral("PC-2"), QStringLiteral("STRASSE")}));
        QCOMPARE(rig->tree.calls.size(), 3);
        // Each request starts where the previous page ended (as the host's service proves); elements
        // of the wrong shape count too.
        QVERIFY(rig->tree.calls[2].text.endsWith(QStringLiteral("\"EventMgrPCStartIndex\":6}")));
    }

    void pcDataBadReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<uint32_t>("expected");
        QTest::addColumn<bool>("more");
        QTest::newRow("no finish flag") << "{\"EventMgrPCNameArray\":[]}" << 0u << false;
        QTest::newRow("finish as text") << "{\"EventMgrGetPCDataFinish\":\"0\"}" << 0u << false;
        QTest::newRow("list not an array") << "{\"EventMgrPCNameArray\":{},\"EventMgrGetPCDataFinish\":0}"
                                           << kPCDataBadReply << false;
        QTest::newRow("malformed") << "{\"EventMgrPCNameArray\":[" << kPCDataBadReply << false;
        QTest::newRow("empty") << "" << kPCDataBadReply << false;
    }
    void pcDataBadReplies()
    {
        QFETCH(QString, reply);
        QFETCH(uint32_t, expected);
        QFETCH(bool, more);
        rig->tree.json = [reply](const QString&, IJSONBuf** out) {
            *out = FakeFolderTree::TextReply(reply);
            return 0u;
        };
        int start = 3;
        bool moreToCome = true;
        QSet<QString> names;
        QCOMPARE(rig->reader->GetPCData(1, &start, &names, &moreToCome), expected);
        QCOMPARE(moreToCome, more);
        QCOMPARE(start, 3);
    }

    void pagingThatNeverEndsIsBounded()
    {
        // Empty pages that promise more: no progress.
        rig->tree.json = [](const QString&, IJSONBuf** out) {
            *out = FakeFolderTree::TextReply(QStringLiteral("{\"EventMgrPCNameArray\":[],\"EventMgrGetPCDataFinish\":0}"));
            return 0u;
        };
        QSet<QString> names;
        QCOMPARE(rig->reader->CollectPCNames(1, &names), kPCPagingStalled);
        QCOMPARE(rig->tree.calls.size(), 1);

        // One new PC per page, forever.
        rig->tree.calls.clear();
        rig->tree.json = [](const QString&, IJSONBuf** out) {
            *out = FakeFolderTree::TextReply(QStringLiteral("{\"EventMgrPCNameArray\":[{\"EventMgrPCName\":\"a\"}],"
                                                            "\"EventMgrGetPCDataFinish\":0}"));
            return 0u;
        };
        QCOMPARE(rig->reader->CollectPCNames(1, &names), kPCPagingStalled);
        QCOMPARE(rig->tree.calls.size(), CFloderReader::kMaxPCPages);
    }
};

QTEST_GUILESS_MAIN(TestFolderReader)
#include "tst_folderreader.moc"
