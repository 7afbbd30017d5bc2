#pragma once
#include <QString>

// The storage component's path conversion: a NAS path ("NAS://device/share/dir") becomes the UNC
// path of the device's configured root ("\\nas1\share\dir"); other paths are left as they are.
class CPathShift
{
public:
    // Empty when the path is a NAS path of no configured device.
    static QString Shift(const QString& path);
};

// Exported: writes the converted path (zero-terminated) into out; 0 on success.
extern "C" int PathShift(const char16_t* path, char16_t* out, uint32_t outChars);
