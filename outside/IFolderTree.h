#pragma once
#include <cstdint>

#include "NRFolderTreeRecords.h"

class IJSONBuf;

// The folder-tree service of the host's UI logic (interface id 10 of IUILogic): drive letters,
// groups of PCs and their members, mapped network paths, share and PC accounts, libraries, and
// directory creation. Every call may block; each one is given its time limit in milliseconds.
// Strings are UTF-16 and zero-terminated; the service never keeps a pointer it was handed.
//
// Record queries: `records` has room for *count records. The service fills as many as fit,
// in order, and writes back in *count the number of records it has in all. When that number is
// not smaller than the room, the caller asks again with more room. The group and library
// queries may instead answer a code whose error number is kTooSmall, with the number needed.
class IFolderTree
{
public:
    // Error number of an answer that means: the array was too small, *count holds the need.
    static constexpr uint32_t kTooSmall = 0x26B;

    virtual uint32_t Init(uint32_t mode, uint32_t reserved1, uint32_t reserved2) = 0;
    // The caller's task or machine identifier, 16 bytes.
    virtual uint32_t SetGuid(const unsigned char* guid) = 0;

    virtual uint32_t GetPCDriverLetter(NRDriveRecord* records, int* count, uint32_t timeoutMs) = 0;
    virtual uint32_t GetGroupInfo(NRNameRecord* records, int* count, uint32_t timeoutMs) = 0;
    virtual uint32_t GetGroupPCInfo(const char16_t* group, NRNameRecord* records, int* count,
                                    uint32_t timeoutMs) = 0;

    // The local directory behind a Windows-form path ("\\server\share\dir", "C:\dir"), into
    // `out` of outChars units with its terminator.
    virtual uint32_t GetNetMapPath(const char16_t* path, char16_t* out, uint32_t outChars,
                                   uint32_t timeoutMs) = 0;
    // The account stored for a share; empty texts when none is stored.
    virtual uint32_t GetNetAccount(const char16_t* share, char16_t* user, uint32_t userChars,
                                   char16_t* password, uint32_t passwordChars, uint32_t timeoutMs) = 0;
    virtual uint32_t SetNetAccount(const char16_t* share, const char16_t* user,
                                   const char16_t* password, uint32_t timeoutMs) = 0;
    virtual uint32_t SetNetPCAccount(const char16_t* pc, const char16_t* account, uint32_t timeoutMs) = 0;

    virtual uint32_t GetLibInfo(NRLibRecord* records, int* count, uint32_t timeoutMs) = 0;
    virtual uint32_t GetLibNodeInfo(const char16_t* library, NRLibRecord* records, int* count,
                                    uint32_t timeoutMs) = 0;

    // Creates the directory and its missing parents.
    virtual uint32_t CreateDir(const char16_t* path, uint32_t timeoutMs) = 0;

    // A JSON request (UTF-16 text in `request`, which stays the caller's). On success *reply is
    // a new buffer with the answer, which the caller releases.
    virtual uint32_t JSONRequest(IJSONBuf* request, IJSONBuf** reply, uint32_t timeoutMs) = 0;

    // Gives the interface back; the caller must not use it afterwards. Any thread may call it.
    virtual void Release() = 0;

protected:
    ~IFolderTree() = default;
};
