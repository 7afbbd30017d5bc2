#pragma once
#include "NRFolderTreeRecords.h"

#include <QSet>
#include <QString>

#include <cstdint>

class IFolderTree;
class IUILogic;

// The module's client of the host's folder-tree service. It obtains the service from the UI
// logic, initialises it, wraps each call in a buffer-growing retry, measures the time spent in
// the slow calls, and gives the service back on a worker thread when it dies.
//
// Arrays and 8-bit strings handed out belong to the caller, who frees them with Free().
// 8-bit strings are UTF-8.
class CFloderReader
{
public:
    static constexpr int kGuidBytes = 16;
    // Room of the wide path that GetNetMapPath writes, terminator included.
    static constexpr int kMapPathChars = 260;
    static constexpr int kUserChars = 32;
    static constexpr int kPasswordChars = 260;

    // The growing loop gives up after this many calls, or when an array would exceed
    // kMaxArrayBytes: a service that keeps saying "more" must not hold the caller forever.
    static constexpr int kMaxRounds = 256;
    static constexpr int64_t kMaxArrayBytes = 64 * 1024 * 1024;
    // Pages that CollectPCNames asks for at most.
    static constexpr int kMaxPCPages = 4096;

    // guid: 16 bytes or null (all zeros).
    CFloderReader(IUILogic* uiLogic, const unsigned char* guid, uint32_t mode);
    virtual ~CFloderReader();

    CFloderReader(const CFloderReader&) = delete;
    CFloderReader& operator=(const CFloderReader&) = delete;

    // *count: the caller's guess of the number of records (< 1: the first capacity); on
    // success the number handed out.
    uint32_t GetPCDriverLetter(NRDriveRecord** records, int* count);
    uint32_t GetGroupInfo(NRNameRecord** records, int* count);
    uint32_t GetGroupPCInfo(const char* group, NRNameRecord** records, int* count);
    // out: room for kMapPathChars units.
    uint32_t GetNetMapPath(const char16_t* path, char16_t* out);
    uint32_t GetNetAcount(const char* path, char** user, char** password);
    uint32_t SetNetAcount(const char* path, const char* user, const char* password);
    uint32_t SetNetPCAccout(const char* pc, const char* account);
    uint32_t GetLibInfo(NRLibRecord** records, int* count);
    uint32_t GetLibNodeInfo(const char16_t* path, NRLibRecord** records, int* count);
    uint32_t CreateNewDir(const char* path);

    // The event manager's id of a fresh snapshot of the managed PCs (0 when the reply has none).
    uint32_t GetEventId(unsigned* eventId);
    // One page of the snapshot's PCs from *startIndex on: the upper-case names go into `names`,
    // *startIndex moves past the page, *moreToCome says whether another page follows.
    uint32_t GetPCData(unsigned eventId, int* startIndex, QSet<QString>* names, bool* moreToCome);
    // Every page of the snapshot, bounded: fails when a page brings nothing while more is
    // promised, or after kMaxPCPages pages.
    uint32_t CollectPCNames(unsigned eventId, QSet<QString>* names);

    // Milliseconds spent inside the group queries and the account operations.
    uint32_t Elapsed() const { return elapsed; }
    uint32_t Mode() const { return mode; }
    const unsigned char* Guid() const { return guid; }
    bool HasService() const { return folderTree != nullptr; }

    static void Free(void* block);

private:
    struct GrowCall;
    uint32_t Grow(const GrowCall& call, void** records, int* count);
    uint32_t ExchangeJSON(const QString& request, QString* reply, uint32_t noBuffer, uint32_t badReply);

    IFolderTree* folderTree = nullptr;
    uint32_t elapsed = 0;
    unsigned char guid[kGuidBytes] = {};
    uint32_t mode = 0;
};
