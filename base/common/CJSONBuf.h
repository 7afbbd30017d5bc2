#pragma once
#include "IJSONBuf.h"

#include <QString>

// The JSON buffer of the module and of the host's folder-tree service: one heap block and its
// byte count. A block is never shared; every
// operation that replaces it builds the new block before the old one goes, so a source that
// lies inside the current block stays valid while it is copied.
class CJSONBuf : public IJSONBuf
{
public:
    CJSONBuf() = default;
    virtual ~CJSONBuf();

    CJSONBuf(const CJSONBuf&) = delete;
    CJSONBuf& operator=(const CJSONBuf&) = delete;

    void Release() override;
    int SetData(const void* p, int n) override;
    int SetString(const char16_t* s) override;
    int Append(const void* p, int n) override;
    int Resize(int n) override;
    void* GetData() override;
    int GetSize() override;
    int Allocate(int n) override;
    int Overwrite(const void* p, int n) override;

    // The text a buffer holds: its whole UTF-16 units up to the first terminator (empty for a
    // null buffer or one shorter than a unit). Reads any IJSONBuf, whoever made it.
    static QString Text(IJSONBuf* buf);

private:
    void Clear();
    // Takes `block` of n bytes as the buffer's block, freeing the old one.
    void Adopt(void* block, int n);

    void* data = nullptr;
    int size = 0;
};

// A new buffer of n zeroed bytes (empty for 0); null for a negative n or when memory is short.
IJSONBuf* CreateJSONBuf(int n);
