#pragma once
#include <QString>

// UTF-16 text handed over as units (wide strings of the host interfaces and records): taken as it
// is, up to its terminator. QString::fromUtf16 would take a leading U+FEFF or U+FFFE for a
// byte-order mark, drop it and, for U+FFFE, swap the bytes of everything after it.
inline QString NRTextFromUnits(const char16_t* p)
{
    if (!p)
        return QString();
    int n = 0;
    while (p[n])
        ++n;
    return QString(reinterpret_cast<const QChar*>(p), n);
}
