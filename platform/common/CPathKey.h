#pragma once
#include <QString>

// The one rule by which selection paths are compared, wherever a path decides what is selected
// (the model's check map, filter blocks applied to a tree, the host resolving a block into files).
//
// Windows compares paths without case, but this machine's folders and backup images do not:
// "Makefile" and "makefile" are two files there. A key therefore keeps the case of every name
// on a case-sensitive source and folds it only where the storage itself ignores case: network
// shares ("\\server\share\..."), NAS paths ("NAS:\\device\...") and the drive letter.
class CPathKey
{
public:
    // The key of a Windows-form path: "c:\Src\Makefile" -> "C:\Src\Makefile",
    // "\\srv\Share\x" -> "\\SRV\SHARE\X". Separators and trailing backslashes are left as given.
    static QString Of(const QString& path);
    // The key of the child `name` of the path whose key is parentKey; parentKey empty: the key of
    // name itself (a top-level place).
    static QString Child(const QString& parentKey, const QString& name);
    // Whether names below path are compared with their case.
    static bool IsCaseSensitive(const QString& path);
    // A key of a whole server ("\\SRV", "NAS:\\BOX"): selecting it selects the shares it hands out.
    static bool IsServerLevel(const QString& key);
};
