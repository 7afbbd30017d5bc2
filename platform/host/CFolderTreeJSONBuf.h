#pragma once
#include "IJSONBuf.h"

#include <QByteArray>

// The buffer in which the folder-tree service hands its JSON replies out. The receiver gives it
// back with Release().
class CFolderTreeJSONBuf : public IJSONBuf
{
public:
    CFolderTreeJSONBuf() = default;
    virtual ~CFolderTreeJSONBuf() = default;

    CFolderTreeJSONBuf(const CFolderTreeJSONBuf&) = delete;
    CFolderTreeJSONBuf& operator=(const CFolderTreeJSONBuf&) = delete;

    void Release() override;
    int SetData(const void* p, int n) override;
    int SetString(const char16_t* s) override;
    int Append(const void* p, int n) override;
    int Resize(int n) override;
    void* GetData() override;
    int GetSize() override;
    int Allocate(int n) override;
    int Overwrite(const void* p, int n) override;

private:
    QByteArray bytes;
};
