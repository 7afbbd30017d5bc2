// libFuzzer entry for the folder reader over what the host's folder-tree service answers. The
// first byte picks a call; the rest is what the service says: JSON reply buffers (raw bytes,
// separated by lines "===="), or counts and result codes of the record queries. The reader must
// read any answer without a fault, give up on a service that never settles, and hand out only
// what it was told.
#include "CFloderReader.h"
#include "CJSONBuf.h"
#include "FuzzInput.h"
#include "IFolderTree.h"
#include "IUILogic.h"
#include "NRResult.h"

#include <QSet>

#include <cstdlib>
#include <cstring>

namespace {

// A service whose every answer comes from the input.
class ScriptedService : public IFolderTree, public IUILogic
{
public:
    QList<QByteArray> replies;
    int nextReply = 0;
    QByteArray numbers;
    int nextNumber = 0;

    uint32_t Number()
    {
        uint32_t v = 0;
        if (nextNumber + 4 <= numbers.size())
            std::memcpy(&v, numbers.constData() + nextNumber, 4);
        nextNumber += 4;
        return v;
    }
    // The answer of a record query: a code (success, too small, or failure) and a count. The
    // reader hands records out unread, so only the room offered matters.
    uint32_t Records(void* array, int* count)
    {
        if (!array || *count < 1)
            std::abort();
        const uint32_t code = Number();
        *count = int(Number());
        return (code & 3) == 0 ? 0u : (code & 3) == 1 ? IFolderTree::kTooSmall : code;
    }
    void Text(char16_t* out, uint32_t chars)
    {
        for (uint32_t i = 0; i < chars; ++i)
            out[i] = char16_t(Number());
    }

    uint32_t Version() override { return 1; }
    uint32_t QueryInterface(uint32_t, void** out) override { return *out = static_cast<IFolderTree*>(this), 0; }
    uint32_t Init(uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t SetGuid(const unsigned char*) override { return 0; }
    uint32_t GetPCDriverLetter(NRDriveRecord* r, int* n, uint32_t) override { return Records(r, n); }
    uint32_t GetGroupInfo(NRNameRecord* r, int* n, uint32_t) override { return Records(r, n); }
    uint32_t GetGroupPCInfo(const char16_t*, NRNameRecord* r, int* n, uint32_t) override { return Records(r, n); }
    uint32_t GetNetMapPath(const char16_t*, char16_t* out, uint32_t chars, uint32_t) override { return Text(out, chars), 0; }
    uint32_t GetNetAccount(const char16_t*, char16_t* user, uint32_t userChars, char16_t* password,
                           uint32_t passwordChars, uint32_t) override
    {
        Text(user, userChars);
        Text(password, passwordChars);
        return Number() & 1;
    }
    uint32_t SetNetAccount(const char16_t*, const char16_t*, const char16_t*, uint32_t) override { return 0; }
    uint32_t SetNetPCAccount(const char16_t*, const char16_t*, uint32_t) override { return 0; }
    uint32_t GetLibInfo(NRLibRecord* r, int* n, uint32_t) override { return Records(r, n); }
    uint32_t GetLibNodeInfo(const char16_t*, NRLibRecord* r, int* n, uint32_t) override { return Records(r, n); }
    uint32_t CreateDir(const char16_t*, uint32_t) override { return 0; }
    uint32_t JSONRequest(IJSONBuf* request, IJSONBuf** reply, uint32_t) override
    {
        if (!request || !reply)
            std::abort();
        if (nextReply >= replies.size())
            return 1;
        const QByteArray& bytes = replies[nextReply++];
        *reply = CreateJSONBuf(0);
        (*reply)->SetData(bytes.constData(), bytes.size());
        return 0;
    }
    void Release() override {}
};

// A record query of the reader, started with the caller's guess of the count.
template <typename Record, typename Query>
void checkRecords(Query query, int count)
{
    Record* records = nullptr;
    const uint32_t r = query(&records, &count);
    if (NRResult::Succeeded(r) && (count < 0 || (count > 0 && !records)))
        std::abort();
    CFloderReader::Free(records);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static ScriptedService service;
    // The reader gives its service back on a worker when it dies: one reader for the whole run.
    static CFloderReader reader(&service, nullptr, 0);
    service.replies = fuzz::Split(data + 1, size - 1, 4096);
    service.nextReply = 0;
    service.numbers = QByteArray(reinterpret_cast<const char*>(data + 1), int(size - 1));
    service.nextNumber = 0;
    const int count = data[0] >> 4; // the caller's guess
    switch (data[0] % 9) {
    case 0: {
        unsigned id = 0;
        (void)reader.GetEventId(&id);
        break;
    }
    case 1: {
        QSet<QString> names;
        int start = 0;
        bool more = false;
        if (NRResult::Succeeded(reader.GetPCData(1, &start, &names, &more)) && start < 0)
            std::abort();
        break;
    }
    case 2: {
        QSet<QString> names;
        (void)reader.CollectPCNames(1, &names);
        for (const QString& name : qAsConst(names))
            if (name != name.toUpper())
                std::abort();
        break;
    }
    case 3:
        checkRecords<NRDriveRecord>([](NRDriveRecord** r, int* n) { return reader.GetPCDriverLetter(r, n); }, count);
        break;
    case 4:
        checkRecords<NRNameRecord>([](NRNameRecord** r, int* n) { return reader.GetGroupInfo(r, n); }, count);
        break;
    case 5:
        checkRecords<NRNameRecord>([](NRNameRecord** r, int* n) { return reader.GetGroupPCInfo("group", r, n); }, count);
        break;
    case 6:
        checkRecords<NRLibRecord>([](NRLibRecord** r, int* n) { return reader.GetLibInfo(r, n); }, count);
        break;
    case 7: {
        char16_t out[CFloderReader::kMapPathChars];
        (void)reader.GetNetMapPath(u"\\\\srv\\share", out);
        if (out[CFloderReader::kMapPathChars - 1] != 0)
            std::abort();
        break;
    }
    default: {
        char* user = nullptr;
        char* password = nullptr;
        if (NRResult::Succeeded(reader.GetNetAcount("\\\\srv\\share", &user, &password)) &&
            (!user || !password || std::strlen(user) >= 3 * CFloderReader::kUserChars))
            std::abort();
        CFloderReader::Free(user);
        CFloderReader::Free(password);
        break;
    }
    }
    return 0;
}
