#pragma once
#include "IJSONBuf.h"

// The module's JSON buffer: one heap block and its byte count. A block is never shared; every
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

private:
    void Clear();
    // Takes `block` of n bytes as the buffer's block, freeing the old one.
    void Adopt(void* block, int n);

    void* data = nullptr;
    int size = 0;
};

// A new buffer of n zeroed bytes (empty for 0); null for a negative n or when memory is short.
IJSONBuf* CreateJSONBuf(int n);
