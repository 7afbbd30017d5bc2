#include "CJSONBuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

CJSONBuf::~CJSONBuf()
{
    Clear();
}

void CJSONBuf::Clear()
{
    std::free(data);
    data = nullptr;
    size = 0;
}

void CJSONBuf::Adopt(void* block, int n)
{
    std::free(data);
    data = block;
    size = block ? n : 0;
}

void CJSONBuf::Release()
{
    Clear();
    delete this;
}

int CJSONBuf::SetData(const void* p, int n)
{
    if (!p || n <= 0)
        return 0;
    void* block = std::malloc(static_cast<size_t>(n));
    if (block)
        std::memcpy(block, p, static_cast<size_t>(n));
    Adopt(block, n);
    return block ? n : 0;
}

int CJSONBuf::SetString(const char16_t* s)
{
    if (!s)
        return 0;
    size_t chars = 0;
    while (s[chars])
        ++chars;
    if (chars >= static_cast<size_t>(INT_MAX / 2))
        return 0;
    return SetData(s, static_cast<int>((chars + 1) * 2));
}

int CJSONBuf::Append(const void* p, int n)
{
    if (!p || n <= 0 || n > INT_MAX - size)
        return 0;
    void* block = std::malloc(static_cast<size_t>(size) + static_cast<size_t>(n));
    if (!block) {
        Clear();
        return 0;
    }
    if (size > 0)
        std::memcpy(block, data, static_cast<size_t>(size));
    std::memcpy(static_cast<char*>(block) + size, p, static_cast<size_t>(n));
    Adopt(block, size + n);
    return n;
}

int CJSONBuf::Resize(int n)
{
    if (n <= size)
        return 0;
    // The grown block starts all zero: the old bytes are not kept.
    void* block = std::calloc(static_cast<size_t>(n), 1);
    Adopt(block, n);
    return block ? n : 0;
}

void* CJSONBuf::GetData()
{
    return data;
}

int CJSONBuf::GetSize()
{
    return size;
}

int CJSONBuf::Allocate(int n)
{
    if (n < 1)
        return 0;
    void* block = std::calloc(static_cast<size_t>(n), 1);
    Adopt(block, n);
    return block ? n : 0;
}

int CJSONBuf::Overwrite(const void* p, int n)
{
    if (!p || n <= 0 || n != size || p == data)
        return 0;
    std::memmove(data, p, static_cast<size_t>(n));
    return n;
}

QString CJSONBuf::Text(IJSONBuf* buf)
{
    const void* data = buf ? buf->GetData() : nullptr;
    const int size = buf ? buf->GetSize() : 0;
    if (!data || size < 2)
        return QString();
    std::u16string units(static_cast<size_t>(size) / 2, u'\0');
    std::memcpy(&units[0], data, units.size() * 2);
    const size_t end = units.find(u'\0');
    if (end != std::u16string::npos)
        units.resize(end);
    return QString::fromStdU16String(units);
}

IJSONBuf* CreateJSONBuf(int n)
{
    if (n < 0)
        return nullptr;
    CJSONBuf* buf = new (std::nothrow) CJSONBuf;
    if (!buf)
        return nullptr;
    if (n > 0 && buf->Allocate(n) != n) {
        buf->Release();
        return nullptr;
    }
    return buf;
}
