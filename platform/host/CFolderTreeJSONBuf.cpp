#include "CFolderTreeJSONBuf.h"

#include <climits>
#include <cstring>

void CFolderTreeJSONBuf::Release()
{
    delete this;
}

int CFolderTreeJSONBuf::SetData(const void* p, int n)
{
    if (!p || n <= 0)
        return 0;
    // A copy first: p may point into the current bytes.
    bytes = QByteArray(static_cast<const char*>(p), n);
    return n;
}

int CFolderTreeJSONBuf::SetString(const char16_t* s)
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

int CFolderTreeJSONBuf::Append(const void* p, int n)
{
    if (!p || n <= 0 || n > INT_MAX - bytes.size())
        return 0;
    const QByteArray tail(static_cast<const char*>(p), n);
    bytes.append(tail);
    return n;
}

int CFolderTreeJSONBuf::Resize(int n)
{
    if (n <= bytes.size())
        return 0;
    bytes = QByteArray(n, '\0');
    return n;
}

void* CFolderTreeJSONBuf::GetData()
{
    return bytes.isEmpty() ? nullptr : bytes.data();
}

int CFolderTreeJSONBuf::GetSize()
{
    return bytes.size();
}

int CFolderTreeJSONBuf::Allocate(int n)
{
    if (n < 1)
        return 0;
    bytes = QByteArray(n, '\0');
    return n;
}

int CFolderTreeJSONBuf::Overwrite(const void* p, int n)
{
    if (!p || n <= 0 || n != bytes.size() || p == bytes.constData())
        return 0;
    std::memmove(bytes.data(), p, static_cast<size_t>(n));
    return n;
}
