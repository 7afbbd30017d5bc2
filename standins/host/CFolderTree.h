#pragma once
#include "CFolderTreeConfig.h"
#include "IFolderTree.h"

#include <memory>

class CFolderTreeStore;

// The host's folder-tree service on this machine. Each interface handed out by the UI logic is
// one of these; it answers from the configuration read when it was made and keeps accounts and
// event snapshots in the store it shares with the others. The calls are local and quick, so the
// time limits are accepted and not needed. Release() deletes the object.
class CFolderTree : public IFolderTree
{
public:
    CFolderTree(const CFolderTreeConfig& config, const QString& iniPath, std::shared_ptr<CFolderTreeStore> store);
    virtual ~CFolderTree();

    CFolderTree(const CFolderTree&) = delete;
    CFolderTree& operator=(const CFolderTree&) = delete;

    uint32_t Init(uint32_t mode, uint32_t reserved1, uint32_t reserved2) override;
    uint32_t SetGuid(const unsigned char* guid) override;
    uint32_t GetPCDriverLetter(NRDriveRecord* records, int* count, uint32_t timeoutMs) override;
    uint32_t GetGroupInfo(NRNameRecord* records, int* count, uint32_t timeoutMs) override;
    uint32_t GetGroupPCInfo(const char16_t* group, NRNameRecord* records, int* count, uint32_t timeoutMs) override;
    uint32_t GetNetMapPath(const char16_t* path, char16_t* out, uint32_t outChars, uint32_t timeoutMs) override;
    uint32_t GetNetAccount(const char16_t* share, char16_t* user, uint32_t userChars, char16_t* password,
                           uint32_t passwordChars, uint32_t timeoutMs) override;
    uint32_t SetNetAccount(const char16_t* share, const char16_t* user, const char16_t* password,
                           uint32_t timeoutMs) override;
    uint32_t SetNetPCAccount(const char16_t* pc, const char16_t* account, uint32_t timeoutMs) override;
    uint32_t GetLibInfo(NRLibRecord* records, int* count, uint32_t timeoutMs) override;
    uint32_t GetLibNodeInfo(const char16_t* library, NRLibRecord* records, int* count, uint32_t timeoutMs) override;
    uint32_t CreateDir(const char16_t* path, uint32_t timeoutMs) override;
    uint32_t JSONRequest(IJSONBuf* request, IJSONBuf** reply, uint32_t timeoutMs) override;
    void Release() override;

    uint32_t Mode() const { return mode; }

private:
    uint32_t NewEvent(IJSONBuf** reply);
    uint32_t PCPage(uint32_t eventId, int64_t start, int64_t number, IJSONBuf** reply);

    CFolderTreeConfig config;
    QString iniPath;
    std::shared_ptr<CFolderTreeStore> store;
    uint32_t mode = 0;
    unsigned char guid[16] = {};
};
