#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// Records that the folder-tree service writes into arrays the caller allocates. Texts are
// UTF-16, zero-terminated inside their field; numbers are little-endian at fixed byte offsets.
// These functions are the only code that reads or writes the fields, on both sides.

// A drive letter: name ("C:") at 0, total bytes at 260, free bytes at 268 (all ones when
// unknown), used bytes at 276 (kept by the reader), drive type at 284 (0: skip the entry).
struct NRDriveRecord
{
    unsigned char bytes[288];
};

// A group of PCs, or one PC of a group: its name at 0.
struct NRNameRecord
{
    unsigned char bytes[520];
};

// A library, or one node of a library: name at 0, path at 520, kind at 1040, zero behind.
struct NRLibRecord
{
    unsigned char bytes[1064];
};

static_assert(sizeof(NRDriveRecord) == 288, "drive record is 288 bytes");
static_assert(sizeof(NRNameRecord) == 520, "name record is 520 bytes");
static_assert(sizeof(NRLibRecord) == 1064, "library record is 1064 bytes");

namespace NRFolderTreeRecords {

constexpr size_t kDriveNameBytes = 260;
constexpr size_t kDriveTotalAt = 260;
constexpr size_t kDriveFreeAt = 268;
constexpr size_t kDriveUsedAt = 276;
constexpr size_t kDriveTypeAt = 284;
constexpr uint64_t kUnknownSize = ~uint64_t(0);

// Drive types: the entry is skipped, a local directory, a network share.
constexpr uint32_t kDriveSkip = 0;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;

constexpr size_t kNameBytes = 520;

constexpr size_t kLibNameAt = 0;
constexpr size_t kLibPathAt = 520;
constexpr size_t kLibTextBytes = 520;
constexpr size_t kLibKindAt = 1040;
// Library record kinds: a library itself, a folder that belongs to a library.
constexpr uint32_t kLibLibrary = 1;
constexpr uint32_t kLibNode = 2;

// Writes s into a field of fieldBytes, cut so that the terminator always fits.
inline void WriteText(unsigned char* field, size_t fieldBytes, const char16_t* s)
{
    std::memset(field, 0, fieldBytes);
    if (!s)
        return;
    const size_t room = fieldBytes / 2 - 1;
    size_t n = 0;
    while (n < room && s[n])
        ++n;
    std::memcpy(field, s, n * 2);
}

// Reads a field up to its terminator or its end, whichever comes first.
inline std::u16string ReadText(const unsigned char* field, size_t fieldBytes)
{
    std::u16string out;
    for (size_t at = 0; at + 1 < fieldBytes; at += 2) {
        char16_t c;
        std::memcpy(&c, field + at, 2);
        if (!c)
            break;
        out.push_back(c);
    }
    return out;
}

template <typename T>
inline T ReadNumber(const unsigned char* at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

template <typename T>
inline void WriteNumber(unsigned char* at, T v)
{
    std::memcpy(at, &v, sizeof v);
}

inline void SetDrive(NRDriveRecord& r, const char16_t* name, uint64_t total, uint64_t free,
                     uint64_t used, uint32_t type)
{
    std::memset(r.bytes, 0, sizeof r.bytes);
    WriteText(r.bytes, kDriveNameBytes, name);
    WriteNumber(r.bytes + kDriveTotalAt, total);
    WriteNumber(r.bytes + kDriveFreeAt, free);
    WriteNumber(r.bytes + kDriveUsedAt, used);
    WriteNumber(r.bytes + kDriveTypeAt, type);
}
inline std::u16string DriveName(const NRDriveRecord& r) { return ReadText(r.bytes, kDriveNameBytes); }
inline uint64_t DriveTotal(const NRDriveRecord& r) { return ReadNumber<uint64_t>(r.bytes + kDriveTotalAt); }
inline uint64_t DriveFree(const NRDriveRecord& r) { return ReadNumber<uint64_t>(r.bytes + kDriveFreeAt); }
inline uint64_t DriveUsed(const NRDriveRecord& r) { return ReadNumber<uint64_t>(r.bytes + kDriveUsedAt); }
inline void SetDriveUsed(NRDriveRecord& r, uint64_t used) { WriteNumber(r.bytes + kDriveUsedAt, used); }
inline uint32_t DriveType(const NRDriveRecord& r) { return ReadNumber<uint32_t>(r.bytes + kDriveTypeAt); }

inline void SetName(NRNameRecord& r, const char16_t* name) { WriteText(r.bytes, kNameBytes, name); }
inline std::u16string Name(const NRNameRecord& r) { return ReadText(r.bytes, kNameBytes); }

inline void SetLib(NRLibRecord& r, const char16_t* name, const char16_t* path, uint32_t kind)
{
    std::memset(r.bytes, 0, sizeof r.bytes);
    WriteText(r.bytes + kLibNameAt, kLibTextBytes, name);
    WriteText(r.bytes + kLibPathAt, kLibTextBytes, path);
    WriteNumber(r.bytes + kLibKindAt, kind);
}
inline std::u16string LibName(const NRLibRecord& r) { return ReadText(r.bytes + kLibNameAt, kLibTextBytes); }
inline std::u16string LibPath(const NRLibRecord& r) { return ReadText(r.bytes + kLibPathAt, kLibTextBytes); }
inline uint32_t LibKind(const NRLibRecord& r) { return ReadNumber<uint32_t>(r.bytes + kLibKindAt); }

} // namespace NRFolderTreeRecords
