#pragma once

// A plain byte buffer in which a JSON document travels between the module and the host's
// folder-tree service, in either direction. The documents are UTF-16 text with a terminator.
// Whoever receives a buffer gives it back with Release(); it is never deleted directly.
class IJSONBuf
{
public:
    // Frees the block and the object.
    virtual void Release() = 0;
    // Replaces the block with a copy of n bytes from p; n, or 0 when p is null or n < 1.
    virtual int SetData(const void* p, int n) = 0;
    // Replaces the block with s and its terminator; the byte size, or 0 for null.
    virtual int SetString(const char16_t* s) = 0;
    // Appends n bytes from p; n, or 0 (and an emptied buffer) when the block cannot grow.
    virtual int Append(const void* p, int n) = 0;
    // Grows the block to n zeroed bytes when n is larger than the size; n, else 0.
    virtual int Resize(int n) = 0;
    virtual void* GetData() = 0;
    virtual int GetSize() = 0;
    // Replaces the block with n zeroed bytes (n >= 1); n, else 0.
    virtual int Allocate(int n) = 0;
    // Copies n bytes over the block when n equals the size and p is not the block; n, else 0.
    virtual int Overwrite(const void* p, int n) = 0;

protected:
    ~IJSONBuf() = default;
};
