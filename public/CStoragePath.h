#pragma once
#include <QString>

// Which family a storage path belongs to: local drive, UNC share, tape, NAS, FTP, cloud, secure
// zone. Pure predicates in an 8-bit (UTF-8) form, a UTF-16 form and a QString form; a null
// pointer or null string is never a member of any family.
class CStoragePath
{
public:
    // A letter and a colon: "C:", "d:\x".
    static bool IsDrivePath(const char* path);
    static bool IsDrivePath(const char16_t* path);
    static bool IsDrivePath(const QString& path);

    // Starts with "\\.\Tape" and has at least 3 characters; `exact` (when given) is set to 1 when
    // a single drive digit follows the prefix, and left alone otherwise.
    static bool IsTapePath(const char* path, int* exact = nullptr);
    static bool IsTapePath(const char16_t* path, int* exact = nullptr);
    static bool IsTapePath(const QString& path, int* exact = nullptr);

    // Two leading backslashes, at least 3 characters, not a tape path.
    static bool IsUNCPath(const char* path);
    static bool IsUNCPath(const char16_t* path);
    static bool IsUNCPath(const QString& path);

    // Narrow: "NAS:" (any case). Wide and QString: "NAS://" or "NAS:\\" (any case).
    static bool IsNASPath(const char* path);
    static bool IsNASPath(const char16_t* path);
    static bool IsNASPath(const QString& path);

    // "ftp://", any case.
    static bool IsFtpUrl(const char* path);
    static bool IsFtpUrl(const char16_t* path);
    static bool IsFtpUrl(const QString& path);

    // "Ftp\", exact case.
    static bool IsFtpLocation(const char* path);
    static bool IsFtpLocation(const char16_t* path);
    static bool IsFtpLocation(const QString& path);

    // "Cloud\", exact case.
    static bool IsCloudPath(const char* path);
    static bool IsCloudPath(const char16_t* path);
    static bool IsCloudPath(const QString& path);

    // Narrow: "Cloud\Ulvex". Wide and QString: also "Ulvex Cloud". Exact case.
    static bool IsOwnCloudPath(const char* path);
    static bool IsOwnCloudPath(const char16_t* path);
    static bool IsOwnCloudPath(const QString& path);

    // A cloud path that is not the product's own cloud.
    static bool IsOtherCloudPath(const char* path);
    static bool IsOtherCloudPath(const char16_t* path);
    static bool IsOtherCloudPath(const QString& path);

    // "NRSecure\", "\\.\MBR" or "\\.\GPT", exact case.
    static bool IsSecureLocation(const char* path);
    static bool IsSecureLocation(const char16_t* path);
    static bool IsSecureLocation(const QString& path);

    // The whole string is "Security Partition" or its translation.
    static bool IsSecurePartitionName(const char* name);
    static bool IsSecurePartitionName(const char16_t* name);
    static bool IsSecurePartitionName(const QString& name);

    // A drive, UNC, tape or cloud path, or the secure partition name.
    static bool IsValidTargetPath(const char* path);
    static bool IsValidTargetPath(const QString& path);

    // None of  " * ? < > |
    static bool HasNoForbiddenPathChars(const char* text);
    static bool HasNoForbiddenPathChars(const char16_t* text);
    static bool HasNoForbiddenPathChars(const QString& text);
    // None of  : \ / < > |
    static bool HasNoForbiddenNameChars(const char* text);
    static bool HasNoForbiddenNameChars(const char16_t* text);
    static bool HasNoForbiddenNameChars(const QString& text);
    // None of  TAB " : * \ / ? < > |
    static bool HasNoInvalidFileNameChars(const char* text);
    static bool HasNoInvalidFileNameChars(const char16_t* text);
    static bool HasNoInvalidFileNameChars(const QString& text);
    // The text without those 10 characters (may come out empty: callers then use their default).
    static QString StripInvalidFileNameChars(const QString& text);

    // "\\server\share" of a UNC path ("\\server" when `serverOnly`); the whole path when the share
    // (or, server-only, the server) is its last component; empty for anything else, including
    // device paths ("\\.\...").
    static QString UNCRoot(const char16_t* path, bool serverOnly);
    static QString UNCRoot(const QString& path, bool serverOnly);

    // Whether the server of a UNC path can be addressed: a dotted IPv4 literal with every part in
    // 0..255, a dotted name that resolves to an IPv4 address, or a name without a dot (taken as a
    // local network name, not looked up). A literal with a part above 255 is refused unresolved.
    static bool IsReachableUNCServer(const char* path);
    static bool IsReachableUNCServer(const char16_t* path);
    static bool IsReachableUNCServer(const QString& path);

    // Whether a path typed into the backup page's go-to box may be gone to at all: at most 259
    // characters, no device path, a UNC server that can be addressed, no empty component inside
    // a UNC or NAS path, and none of  : * ? " < > |  after a NAS or FTP head.
    static bool IsValidGotoPath(const QString& text);

    // Whether `host` resolves to an IPv4 address (getaddrinfo).
    static bool ResolvesToIPv4(const QString& host);

    // Test hook: replaces the resolver (null restores getaddrinfo).
    typedef bool (*ResolverFn)(const QString& host);
    static void SetResolverForTest(ResolverFn resolver);
};
