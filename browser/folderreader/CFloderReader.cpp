#include "CFloderReader.h"

#include "CJSONBuf.h"
#include "CRelaseObj.h"
#include "CTrace.h"
#include "IFolderTree.h"
#include "IUILogic.h"
#include "NRResult.h"
#include "NRText.h"

#include <QThreadPool>

#include <nlohmann/json.hpp>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Time limits handed to the service, in milliseconds.
constexpr uint32_t kDriveLetterTimeout = 240000;
constexpr uint32_t kGroupTimeout = 12000000;
constexpr uint32_t kGroupPCTimeout = 60000000;
constexpr uint32_t kAccountTimeout = 6000000;
constexpr uint32_t kLibTimeout = 12000000;
constexpr uint32_t kJSONTimeout = 6000000;

constexpr int kDriveFirstCapacity = 30;
constexpr int kGroupFirstCapacity = 10;
constexpr int kLibFirstCapacity = 10;

// The request buffer starts with this many bytes before the request replaces it.
constexpr int kRequestBufBytes = 260;

// Codes of operations that could not run: no service, a missing argument, or no memory.
constexpr uint32_t kDriveLetterCannotRun = 0x09D04245;
constexpr uint32_t kGroupCannotRun = 0x0CD04245;
constexpr uint32_t kGroupPCCannotRun = 0x10304245;
constexpr uint32_t kMapPathCannotRun = 0x19C04245;
constexpr uint32_t kGetAccountCannotRun = 0x17804245;
constexpr uint32_t kSetAccountCannotRun = 0x15904245;
constexpr uint32_t kSetPCAccountCannotRun = 0x14104245;
constexpr uint32_t kLibCannotRun = 0x2DA04245;
constexpr uint32_t kLibNodeCannotRun = 0x30804245;
constexpr uint32_t kCreateDirCannotRun = 0x29D04245;
constexpr uint32_t kEventIdNoService = 0x3520400A;
constexpr uint32_t kEventIdNoBuffer = 0x36F04008;
constexpr uint32_t kPCDataNoService = 0x37E0400A;
constexpr uint32_t kPCDataNoBuffer = 0x38504008;

// The service never settled on a count (it kept answering a full array or "too small", or an
// array would grow past the cap), or answered a negative count.
constexpr uint32_t kDriveLetterUnsettled = NRResult::Make(0x09E, NRResult::kErrGeneral);
constexpr uint32_t kGroupUnsettled = NRResult::Make(0x0CE, NRResult::kErrGeneral);
constexpr uint32_t kGroupPCUnsettled = NRResult::Make(0x104, NRResult::kErrGeneral);
constexpr uint32_t kLibUnsettled = NRResult::Make(0x2DB, NRResult::kErrGeneral);
constexpr uint32_t kLibNodeUnsettled = NRResult::Make(0x309, NRResult::kErrGeneral);

// The JSON reply was missing, not JSON, not an object, or held a key of the wrong type.
constexpr uint32_t kEventIdBadReply = NRResult::Make(0x353, NRResult::kErrGeneral);
constexpr uint32_t kPCDataBadReply = NRResult::Make(0x37F, NRResult::kErrGeneral);
// Paging through the PC list promised more pages but made no progress, or never ended.
constexpr uint32_t kPCPagingStalled = NRResult::Make(0x386, NRResult::kErrGeneral);

// The 32-bit wrapping millisecond tick of a monotonic clock.
uint32_t tickMs()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

const char* baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// Entry trace at construction, leave trace with the result.
class OpTrace
{
public:
    OpTrace(const char* op, unsigned line) : op(op)
    {
        NR_TRACE(u"File = %s, Line = %u, %s enter", baseName(__FILE__), line, op);
    }
    uint32_t Leave(uint32_t result, unsigned line) const
    {
        NR_TRACE(u"File = %s, Line = %u, %s leave, result = 0x%08X", baseName(__FILE__), line, op, result);
        return result;
    }

private:
    const char* op;
};

std::u16string toWide(const char* s)
{
    return QString::fromUtf8(s).toStdU16String();
}

// A heap copy of a UTF-16 text as UTF-8, for the caller to free; null when memory is short.
char* toNarrow(const char16_t* s)
{
    const QByteArray utf8 = NRTextFromUnits(s).toUtf8();
    char* out = static_cast<char*>(std::malloc(static_cast<size_t>(utf8.size()) + 1));
    if (out)
        std::memcpy(out, utf8.constData(), static_cast<size_t>(utf8.size()) + 1);
    return out;
}

// The reply parsed as a JSON object; discarded when it is not one.
nlohmann::json parseObject(const QString& text)
{
    nlohmann::json j = nlohmann::json::parse(text.toStdString(), nullptr, false);
    if (!j.is_object())
        return nlohmann::json(nlohmann::json::value_t::discarded);
    return j;
}

} // namespace

struct CFloderReader::GrowCall
{
    const char* op;
    size_t recordSize;
    int firstCapacity;
    // The call's duration counts towards `elapsed`.
    bool timed;
    // An answer with error number 0x26B means "the array was too small".
    bool tooSmallGrows;
    uint32_t cannotRun;
    uint32_t unsettled;
    std::function<uint32_t(void* records, int* count)> call;
};

CFloderReader::CFloderReader(IUILogic* uiLogic, const unsigned char* guidIn, uint32_t modeIn)
{
    NR_TRACE(u"File = %s, Line = %u, CFloderReader enter", baseName(__FILE__), __LINE__);
    void* service = nullptr;
    const uint32_t r = uiLogic ? uiLogic->QueryInterface(IUILogic::kFolderTreeId, &service) : 0;
    if (!uiLogic || NRResult::Failed(r) || !service) {
        NR_TRACE(u"File = %s, Line = %u, no folder-tree service, result = 0x%08X", baseName(__FILE__),
                 __LINE__, r);
    } else {
        folderTree = static_cast<IFolderTree*>(service);
    }
    mode = modeIn;
    if (guidIn)
        std::memcpy(guid, guidIn, kGuidBytes);
    if (folderTree) {
        const uint32_t initResult = folderTree->Init(mode, 0, 0);
        const uint32_t guidResult = folderTree->SetGuid(guid);
        NR_TRACE(u"File = %s, Line = %u, service init 0x%08X, guid 0x%08X", baseName(__FILE__), __LINE__,
                 initResult, guidResult);
    }
    NR_TRACE(u"File = %s, Line = %u, CFloderReader leave", baseName(__FILE__), __LINE__);
}

CFloderReader::~CFloderReader()
{
    if (!folderTree)
        return;
    // The release may block as long as the service likes; never on the caller's thread.
    if (QThreadPool* pool = QThreadPool::globalInstance())
        pool->start(new CRelaseObj<IFolderTree>(folderTree), 0);
    folderTree = nullptr;
}

void CFloderReader::Free(void* block)
{
    std::free(block);
}

uint32_t CFloderReader::Grow(const GrowCall& g, void** records, int* count)
{
    *records = nullptr;
    const int64_t maxRecords = kMaxArrayBytes / static_cast<int64_t>(g.recordSize);
    int64_t capacity = *count < 1 ? g.firstCapacity : *count;
    if (capacity > maxRecords)
        capacity = maxRecords;
    *count = 0;

    for (int round = 0; round < kMaxRounds; ++round) {
        void* array = std::calloc(static_cast<size_t>(capacity), g.recordSize);
        if (!array)
            return g.cannotRun;
        int answered = static_cast<int>(capacity);
        const uint32_t start = tickMs();
        const uint32_t r = g.call(array, &answered);
        if (g.timed)
            elapsed += tickMs() - start;

        const bool tooSmall = g.tooSmallGrows && NRResult::ErrorNumber(r) == IFolderTree::kTooSmall;
        if (NRResult::Failed(r) && !tooSmall) {
            std::free(array);
            return r;
        }
        if (answered < 0) {
            std::free(array);
            return g.unsettled;
        }
        if (!tooSmall && answered < capacity) {
            *records = array;
            *count = answered;
            return 0;
        }
        std::free(array);
        // One more than the service has, so that a complete answer is told by a spare record.
        capacity = (answered > capacity ? answered : capacity) + 1;
        if (capacity > maxRecords)
            break;
    }
    NR_TRACE(u"File = %s, Line = %u, %s: the service never settled on a count", baseName(__FILE__), __LINE__,
             g.op);
    return g.unsettled;
}

uint32_t CFloderReader::GetPCDriverLetter(NRDriveRecord** records, int* count)
{
    const OpTrace trace("GetPCDriverLetter", __LINE__);
    if (!folderTree || !records || !count)
        return trace.Leave(kDriveLetterCannotRun, __LINE__);
    GrowCall g{"GetPCDriverLetter", sizeof(NRDriveRecord), kDriveFirstCapacity, false, false,
               kDriveLetterCannotRun, kDriveLetterUnsettled,
               [this](void* a, int* n) {
                   return folderTree->GetPCDriverLetter(static_cast<NRDriveRecord*>(a), n, kDriveLetterTimeout);
               }};
    void* out = nullptr;
    const uint32_t r = Grow(g, &out, count);
    *records = static_cast<NRDriveRecord*>(out);
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetGroupInfo(NRNameRecord** records, int* count)
{
    const OpTrace trace("GetGroupInfo", __LINE__);
    if (!folderTree || !records || !count)
        return trace.Leave(kGroupCannotRun, __LINE__);
    GrowCall g{"GetGroupInfo", sizeof(NRNameRecord), kGroupFirstCapacity, true, true, kGroupCannotRun,
               kGroupUnsettled, [this](void* a, int* n) {
                   return folderTree->GetGroupInfo(static_cast<NRNameRecord*>(a), n, kGroupTimeout);
               }};
    void* out = nullptr;
    const uint32_t r = Grow(g, &out, count);
    *records = static_cast<NRNameRecord*>(out);
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetGroupPCInfo(const char* group, NRNameRecord** records, int* count)
{
    const OpTrace trace("GetGroupPCInfo", __LINE__);
    if (!folderTree || !group || !records || !count)
        return trace.Leave(kGroupPCCannotRun, __LINE__);
    const std::u16string wideGroup = toWide(group);
    GrowCall g{"GetGroupPCInfo", sizeof(NRNameRecord), kGroupFirstCapacity, true, true, kGroupPCCannotRun,
               kGroupPCUnsettled, [this, &wideGroup](void* a, int* n) {
                   return folderTree->GetGroupPCInfo(wideGroup.c_str(), static_cast<NRNameRecord*>(a), n,
                                                     kGroupPCTimeout);
               }};
    void* out = nullptr;
    const uint32_t r = Grow(g, &out, count);
    *records = static_cast<NRNameRecord*>(out);
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetLibInfo(NRLibRecord** records, int* count)
{
    const OpTrace trace("GetLibInfo", __LINE__);
    if (!folderTree || !records || !count)
        return trace.Leave(kLibCannotRun, __LINE__);
    GrowCall g{"GetLibInfo", sizeof(NRLibRecord), kLibFirstCapacity, false, true, kLibCannotRun, kLibUnsettled,
               [this](void* a, int* n) {
                   return folderTree->GetLibInfo(static_cast<NRLibRecord*>(a), n, kLibTimeout);
               }};
    void* out = nullptr;
    const uint32_t r = Grow(g, &out, count);
    *records = static_cast<NRLibRecord*>(out);
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetLibNodeInfo(const char16_t* path, NRLibRecord** records, int* count)
{
    const OpTrace trace("GetLibNodeInfo", __LINE__);
    if (!folderTree || !path || !records || !count)
        return trace.Leave(kLibNodeCannotRun, __LINE__);
    GrowCall g{"GetLibNodeInfo", sizeof(NRLibRecord), kLibFirstCapacity, false, true, kLibNodeCannotRun,
               kLibNodeUnsettled, [this, path](void* a, int* n) {
                   return folderTree->GetLibNodeInfo(path, static_cast<NRLibRecord*>(a), n, kLibTimeout);
               }};
    void* out = nullptr;
    const uint32_t r = Grow(g, &out, count);
    *records = static_cast<NRLibRecord*>(out);
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetNetMapPath(const char16_t* path, char16_t* out)
{
    const OpTrace trace("GetNetMapPath", __LINE__);
    if (!folderTree || !path || !out)
        return trace.Leave(kMapPathCannotRun, __LINE__);
    std::memset(out, 0, kMapPathChars * sizeof(char16_t));
    const uint32_t r = folderTree->GetNetMapPath(path, out, kMapPathChars, kAccountTimeout);
    // Whatever the service wrote, the caller gets a terminated text.
    out[kMapPathChars - 1] = u'\0';
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::GetNetAcount(const char* path, char** user, char** password)
{
    const OpTrace trace("GetNetAcount", __LINE__);
    if (!folderTree || !path || !user || !password)
        return trace.Leave(kGetAccountCannotRun, __LINE__);
    *user = nullptr;
    *password = nullptr;
    char16_t wideUser[kUserChars] = {};
    char16_t widePassword[kPasswordChars] = {};
    const std::u16string widePath = toWide(path);
    const uint32_t start = tickMs();
    const uint32_t r = folderTree->GetNetAccount(widePath.c_str(), wideUser, kUserChars, widePassword,
                                                 kPasswordChars, kAccountTimeout);
    elapsed += tickMs() - start;
    if (NRResult::Failed(r)) {
        wideUser[0] = u'\0';
        widePassword[0] = u'\0';
    }
    wideUser[kUserChars - 1] = u'\0';
    widePassword[kPasswordChars - 1] = u'\0';
    *user = toNarrow(wideUser);
    *password = toNarrow(widePassword);
    std::memset(widePassword, 0, sizeof widePassword);
    if (!*user || !*password) {
        Free(*user);
        Free(*password);
        *user = nullptr;
        *password = nullptr;
        return trace.Leave(kGetAccountCannotRun, __LINE__);
    }
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::SetNetAcount(const char* path, const char* user, const char* password)
{
    const OpTrace trace("SetNetAcount", __LINE__);
    if (!folderTree || !path || !user || !password)
        return trace.Leave(kSetAccountCannotRun, __LINE__);
    const std::u16string widePath = toWide(path);
    const std::u16string wideUser = toWide(user);
    const std::u16string widePassword = toWide(password);
    const uint32_t start = tickMs();
    const uint32_t r = folderTree->SetNetAccount(widePath.c_str(), wideUser.c_str(), widePassword.c_str(),
                                                 kAccountTimeout);
    elapsed += tickMs() - start;
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::SetNetPCAccout(const char* pc, const char* account)
{
    const OpTrace trace("SetNetPCAccout", __LINE__);
    if (!folderTree || !pc || !account)
        return trace.Leave(kSetPCAccountCannotRun, __LINE__);
    const std::u16string widePC = toWide(pc);
    const std::u16string wideAccount = toWide(account);
    const uint32_t start = tickMs();
    const uint32_t r = folderTree->SetNetPCAccount(widePC.c_str(), wideAccount.c_str(), kAccountTimeout);
    elapsed += tickMs() - start;
    return trace.Leave(r, __LINE__);
}

uint32_t CFloderReader::CreateNewDir(const char* path)
{
    const OpTrace trace("CreateNewDir", __LINE__);
    if (!folderTree || !path)
        return trace.Leave(kCreateDirCannotRun, __LINE__);
    const std::u16string widePath = toWide(path);
    return trace.Leave(folderTree->CreateDir(widePath.c_str(), kAccountTimeout), __LINE__);
}

uint32_t CFloderReader::ExchangeJSON(const QString& request, QString* reply, uint32_t noBuffer,
                                     uint32_t badReply)
{
    IJSONBuf* requestBuf = CreateJSONBuf(kRequestBufBytes);
    if (!requestBuf)
        return noBuffer;
    const int bytes = (request.size() + 1) * 2;
    if (requestBuf->SetData(request.utf16(), bytes) != bytes) {
        requestBuf->Release();
        return noBuffer;
    }
    IJSONBuf* replyBuf = nullptr;
    const uint32_t r = folderTree->JSONRequest(requestBuf, &replyBuf, kJSONTimeout);
    requestBuf->Release();
    if (replyBuf) {
        if (NRResult::Succeeded(r))
            *reply = CJSONBuf::Text(replyBuf);
        replyBuf->Release();
    }
    if (NRResult::Failed(r))
        return r;
    return replyBuf ? 0 : badReply;
}

uint32_t CFloderReader::GetEventId(unsigned* eventId)
{
    const OpTrace trace("GetEventId", __LINE__);
    if (!folderTree || !eventId)
        return trace.Leave(kEventIdNoService, __LINE__);
    *eventId = 0;
    const nlohmann::json request = {{"EventMgrNeedReData", 0}};
    QString text;
    const uint32_t r = ExchangeJSON(QString::fromStdString(request.dump()), &text, kEventIdNoBuffer,
                                  kEventIdBadReply);
    if (NRResult::Failed(r))
        return trace.Leave(r, __LINE__);

    const nlohmann::json reply = parseObject(text);
    if (reply.is_discarded())
        return trace.Leave(kEventIdBadReply, __LINE__);
    const auto id = reply.find("EventMgrEventID");
    if (id == reply.end())
        return trace.Leave(0, __LINE__);
    // The parser keeps every non-negative integer as unsigned: anything else is of the wrong type.
    if (!id->is_number_unsigned() || id->get<uint64_t>() > UINT_MAX)
        return trace.Leave(kEventIdBadReply, __LINE__);
    *eventId = static_cast<unsigned>(id->get<uint64_t>());
    return trace.Leave(0, __LINE__);
}

uint32_t CFloderReader::GetPCData(unsigned eventId, int* startIndex, QSet<QString>* names, bool* moreToCome)
{
    const OpTrace trace("GetPCData", __LINE__);
    if (moreToCome)
        *moreToCome = false;
    if (!folderTree || !startIndex || !names || !moreToCome)
        return trace.Leave(kPCDataNoService, __LINE__);
    const nlohmann::json request = {{"EventMgrEventID", eventId},
                                    {"EventMgrGetDataType", 2},
                                    {"EventMgrPCStartIndex", *startIndex},
                                    {"EventMgrPCDataNumber", -1}};
    QString text;
    const uint32_t r = ExchangeJSON(QString::fromStdString(request.dump()), &text, kPCDataNoBuffer,
                                  kPCDataBadReply);
    if (NRResult::Failed(r))
        return trace.Leave(r, __LINE__);

    const nlohmann::json reply = parseObject(text);
    if (reply.is_discarded())
        return trace.Leave(kPCDataBadReply, __LINE__);
    const auto list = reply.find("EventMgrPCNameArray");
    if (list != reply.end() && !list->is_array())
        return trace.Leave(kPCDataBadReply, __LINE__);
    const size_t pageSize = list == reply.end() ? 0 : list->size();
    if (pageSize > static_cast<size_t>(INT_MAX - *startIndex))
        return trace.Leave(kPCDataBadReply, __LINE__);

    if (list != reply.end()) {
        for (const nlohmann::json& pc : *list) {
            if (!pc.is_object())
                continue;
            // Each element also names the PC's group ("EventMgrGrName"); only the PC names are kept.
            const auto name = pc.find("EventMgrPCName");
            if (name == pc.end() || !name->is_string())
                continue;
            const QString pcName = QString::fromStdString(name->get<std::string>());
            if (!pcName.isEmpty())
                names->insert(pcName.toUpper());
        }
    }
    *startIndex += static_cast<int>(pageSize);
    const auto finish = reply.find("EventMgrGetPCDataFinish");
    *moreToCome = finish != reply.end() && finish->is_number() && *finish == 0;
    return trace.Leave(0, __LINE__);
}

uint32_t CFloderReader::CollectPCNames(unsigned eventId, QSet<QString>* names)
{
    const OpTrace trace("CollectPCNames", __LINE__);
    if (!folderTree || !names)
        return trace.Leave(kPCDataNoService, __LINE__);
    int startIndex = 0;
    for (int page = 0; page < kMaxPCPages; ++page) {
        const int before = startIndex;
        bool more = false;
        const uint32_t r = GetPCData(eventId, &startIndex, names, &more);
        if (NRResult::Failed(r))
            return trace.Leave(r, __LINE__);
        if (!more)
            return trace.Leave(0, __LINE__);
        if (startIndex == before)
            return trace.Leave(kPCPagingStalled, __LINE__);
    }
    return trace.Leave(kPCPagingStalled, __LINE__);
}
