#include "CPathShift.h"

#include "CStorageMap.h"

#include <cstring>

QString CPathShift::Shift(const QString& path)
{
    if (!path.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive))
        return path;
    return CStorageMap::Current()->NasToUnc(path);
}

extern "C" __attribute__((visibility("default"))) int PathShift(const char16_t* path, char16_t* out, uint32_t outChars)
{
    if (!path || !out || outChars == 0)
        return 1;
    const QString shifted = CPathShift::Shift(QString::fromUtf16(path));
    if (shifted.isEmpty())
        return 2;
    if (uint32_t(shifted.size()) + 1 > outChars)
        return 3;
    std::memcpy(out, shifted.utf16(), size_t(shifted.size()) * 2);
    out[shifted.size()] = 0;
    return 0;
}
