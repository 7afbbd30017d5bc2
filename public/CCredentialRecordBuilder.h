#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

class ICredentialSource;

// Turns the network entries of an exported filter block into the credential records handed to
// the host with it: the tree's credentials where it knows the share, else the record stored with
// the edited task.
class CCredentialRecordBuilder
{
public:
    // The storage component and its conversion of a NAS path to a UNC path:
    //   int PathShift(const char16_t* path, char16_t* out, uint32_t outChars)
    // writes a zero-terminated path into `out` and answers 0 on success.
    typedef int (*PathShiftFn)(const char16_t* path, char16_t* out, uint32_t outChars);
    static constexpr const char* kStorageComponent = "FileStorage";
    static constexpr const char* kPathShiftSymbol = "PathShift";
    static constexpr uint32_t kPathShiftChars = 4096;

    // The record list (a multiple of 1128 bytes; empty when there is nothing to hand over, also
    // for a missing or invalid block or a missing tree). `oldRecords` may be null.
    static QByteArray Build(const void* filterBlock, size_t blockSize, const void* oldRecords, size_t oldSize,
                            ICredentialSource* tree);

    // Entry paths of a filter block in reverse entry order; empty for a block that is refused.
    static QStringList PathList(const void* filterBlock, size_t blockSize);

    // The UNC form of a NAS path (through the storage component when it is there, else its
    // 6-character "NAS://" or "NAS:\\" prefix becomes two backslashes); other paths unchanged.
    // A null string when the conversion fails.
    static QString PhysicalPath(const QString& path);
};
