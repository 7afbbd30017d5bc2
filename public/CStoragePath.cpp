#include "CStoragePath.h"
#include "NRText.h"

#include <QAtomicPointer>
#include <QCoreApplication>
#include <QStringList>

#include <netdb.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <cstring>

namespace {

const char* const kSecurePartition = QT_TRANSLATE_NOOP("CStoragePath", "Security Partition");
const char kTapePrefix[] = "\\\\.\\Tape";
constexpr size_t kTapePrefixLength = sizeof(kTapePrefix) - 1;

template <typename Ch>
size_t length(const Ch* p)
{
    size_t n = 0;
    while (p[n])
        ++n;
    return n;
}

template <typename Ch>
unsigned asciiLower(Ch c)
{
    const unsigned u = static_cast<unsigned>(static_cast<typename std::make_unsigned<Ch>::type>(c));
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

// Prefix test against an ASCII prefix; the text's terminator stops the comparison by itself.
template <typename Ch>
bool startsWith(const Ch* p, const char* prefix, bool caseInsensitive)
{
    if (!p)
        return false;
    for (size_t i = 0; prefix[i]; ++i) {
        if (caseInsensitive) {
            if (asciiLower(p[i]) != asciiLower(prefix[i]))
                return false;
        } else if (static_cast<unsigned>(p[i]) != static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

template <typename Ch>
bool containsAny(const Ch* p, const char* set)
{
    for (; *p; ++p)
        for (const char* s = set; *s; ++s)
            if (static_cast<unsigned>(*p) == static_cast<unsigned char>(*s))
                return true;
    return false;
}

const char kForbiddenPath[] = "\"*?<>|";
const char kForbiddenName[] = ":\\/<>|";
const char kInvalidFileName[] = "\t\":*\\/?<>|";

template <typename Ch>
bool isDrive(const Ch* p)
{
    if (!p || !p[0])
        return false;
    const unsigned c = asciiLower(p[0]);
    return c >= 'a' && c <= 'z' && p[1] == ':';
}

template <typename Ch>
bool isTape(const Ch* p, int* exact)
{
    if (!p || !startsWith(p, kTapePrefix, false))
        return false;
    if (exact && length(p) == kTapePrefixLength + 1)
        *exact = 1;
    return true;
}

template <typename Ch>
bool isUnc(const Ch* p)
{
    return p && !isTape(p, nullptr) && p[0] == '\\' && p[1] == '\\' && p[2];
}

template <typename Ch>
bool isCloud(const Ch* p) { return startsWith(p, "Cloud\\", false); }

template <typename Ch>
bool isSecureLocation(const Ch* p)
{
    return startsWith(p, "NRSecure\\", false) || startsWith(p, "\\\\.\\MBR", false)
           || startsWith(p, "\\\\.\\GPT", false);
}

QString secureName() { return QCoreApplication::translate("CStoragePath", kSecurePartition); }

const char16_t* wide(const QString& s) { return s.isNull() ? nullptr : reinterpret_cast<const char16_t*>(s.utf16()); }

bool defaultResolver(const QString& host) { return CStoragePath::ResolvesToIPv4(host); }

QAtomicPointer<void> g_resolver;

CStoragePath::ResolverFn resolver()
{
    void* p = g_resolver.loadAcquire();
    return p ? reinterpret_cast<CStoragePath::ResolverFn>(p) : &defaultResolver;
}

// A server name of 4 dot-separated decimal numbers: 1 when all are 0..255, -1 when one is larger,
// 0 when it is not such a literal at all.
int ipv4Literal(const QString& server)
{
    const QStringList parts = server.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return 0;
    bool tooLarge = false;
    for (const QString& part : parts) {
        if (part.isEmpty())
            return 0;
        unsigned value = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return 0;
            if (value <= 255)
                value = value * 10 + static_cast<unsigned>(c.unicode() - '0');
        }
        if (value > 255)
            tooLarge = true;
    }
    return tooLarge ? -1 : 1;
}

bool reachableServer(const QString& path)
{
    if (path.size() < 3 || path.at(0) != QLatin1Char('\\') || path.at(1) != QLatin1Char('\\')
        || path.at(2) == QLatin1Char('\\'))
        return false;
    const int end = path.indexOf(QLatin1Char('\\'), 2);
    const QString server = path.mid(2, end < 0 ? -1 : end - 2);
    if (!server.contains(QLatin1Char('.')))
        return true;
    // Device paths ("\\.\...") and names with an empty label are never hosts.
    if (server.startsWith(QLatin1Char('.')) || server.contains(QLatin1String("..")))
        return false;
    const int literal = ipv4Literal(server);
    if (literal != 0)
        return literal > 0;
    return resolver()(server);
}

} // namespace

bool CStoragePath::IsDrivePath(const char* p) { return isDrive(p); }
bool CStoragePath::IsDrivePath(const char16_t* p) { return isDrive(p); }
bool CStoragePath::IsDrivePath(const QString& p) { return isDrive(wide(p)); }

bool CStoragePath::IsTapePath(const char* p, int* exact) { return isTape(p, exact); }
bool CStoragePath::IsTapePath(const char16_t* p, int* exact) { return isTape(p, exact); }
bool CStoragePath::IsTapePath(const QString& p, int* exact) { return isTape(wide(p), exact); }

bool CStoragePath::IsUNCPath(const char* p) { return isUnc(p); }
bool CStoragePath::IsUNCPath(const char16_t* p) { return isUnc(p); }
bool CStoragePath::IsUNCPath(const QString& p) { return isUnc(wide(p)); }

bool CStoragePath::IsNASPath(const char* p) { return startsWith(p, "NAS:", true); }
bool CStoragePath::IsNASPath(const char16_t* p)
{
    return startsWith(p, "NAS://", true) || startsWith(p, "NAS:\\\\", true);
}
bool CStoragePath::IsNASPath(const QString& p) { return IsNASPath(wide(p)); }

bool CStoragePath::IsFtpUrl(const char* p) { return startsWith(p, "ftp://", true); }
bool CStoragePath::IsFtpUrl(const char16_t* p) { return startsWith(p, "ftp://", true); }
bool CStoragePath::IsFtpUrl(const QString& p) { return IsFtpUrl(wide(p)); }

bool CStoragePath::IsFtpLocation(const char* p) { return startsWith(p, "Ftp\\", false); }
bool CStoragePath::IsFtpLocation(const char16_t* p) { return startsWith(p, "Ftp\\", false); }
bool CStoragePath::IsFtpLocation(const QString& p) { return IsFtpLocation(wide(p)); }

bool CStoragePath::IsCloudPath(const char* p) { return isCloud(p); }
bool CStoragePath::IsCloudPath(const char16_t* p) { return isCloud(p); }
bool CStoragePath::IsCloudPath(const QString& p) { return isCloud(wide(p)); }

bool CStoragePath::IsOwnCloudPath(const char* p) { return startsWith(p, "Cloud\\Ulvex", false); }
bool CStoragePath::IsOwnCloudPath(const char16_t* p)
{
    return startsWith(p, "Cloud\\Ulvex", false) || startsWith(p, "Ulvex Cloud", false);
}
bool CStoragePath::IsOwnCloudPath(const QString& p) { return IsOwnCloudPath(wide(p)); }

bool CStoragePath::IsOtherCloudPath(const char* p) { return isCloud(p) && !IsOwnCloudPath(p); }
bool CStoragePath::IsOtherCloudPath(const char16_t* p) { return isCloud(p) && !IsOwnCloudPath(p); }
bool CStoragePath::IsOtherCloudPath(const QString& p) { return IsOtherCloudPath(wide(p)); }

bool CStoragePath::IsSecureLocation(const char* p) { return isSecureLocation(p); }
bool CStoragePath::IsSecureLocation(const char16_t* p) { return isSecureLocation(p); }
bool CStoragePath::IsSecureLocation(const QString& p) { return isSecureLocation(wide(p)); }

bool CStoragePath::IsSecurePartitionName(const char* name)
{
    return name && IsSecurePartitionName(QString::fromUtf8(name));
}
bool CStoragePath::IsSecurePartitionName(const char16_t* name)
{
    return name && IsSecurePartitionName(NRTextFromUnits(name));
}
bool CStoragePath::IsSecurePartitionName(const QString& name)
{
    return !name.isNull() && (name == QLatin1String(kSecurePartition) || name == secureName());
}

bool CStoragePath::IsValidTargetPath(const char* p)
{
    return p && (isDrive(p) || isUnc(p) || isTape(p, nullptr) || isCloud(p) || IsSecurePartitionName(p));
}
bool CStoragePath::IsValidTargetPath(const QString& p)
{
    return !p.isNull() && IsValidTargetPath(p.toUtf8().constData());
}

bool CStoragePath::HasNoForbiddenPathChars(const char* t) { return t && !containsAny(t, kForbiddenPath); }
bool CStoragePath::HasNoForbiddenPathChars(const char16_t* t) { return t && !containsAny(t, kForbiddenPath); }
bool CStoragePath::HasNoForbiddenPathChars(const QString& t) { return HasNoForbiddenPathChars(wide(t)); }

bool CStoragePath::HasNoForbiddenNameChars(const char* t) { return t && !containsAny(t, kForbiddenName); }
bool CStoragePath::HasNoForbiddenNameChars(const char16_t* t) { return t && !containsAny(t, kForbiddenName); }
bool CStoragePath::HasNoForbiddenNameChars(const QString& t) { return HasNoForbiddenNameChars(wide(t)); }

bool CStoragePath::HasNoInvalidFileNameChars(const char* t) { return t && !containsAny(t, kInvalidFileName); }
bool CStoragePath::HasNoInvalidFileNameChars(const char16_t* t) { return t && !containsAny(t, kInvalidFileName); }
bool CStoragePath::HasNoInvalidFileNameChars(const QString& t) { return HasNoInvalidFileNameChars(wide(t)); }

QString CStoragePath::StripInvalidFileNameChars(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c.unicode() > 0x7F || !std::strchr(kInvalidFileName, static_cast<char>(c.unicode())))
            out.append(c);
    return out;
}

QString CStoragePath::UNCRoot(const char16_t* path, bool serverOnly)
{
    return path ? UNCRoot(NRTextFromUnits(path), serverOnly) : QString();
}

QString CStoragePath::UNCRoot(const QString& path, bool serverOnly)
{
    if (path.size() < 3 || path.at(0) != QLatin1Char('\\') || path.at(1) != QLatin1Char('\\')
        || path.at(2) == QLatin1Char('.'))
        return QString();
    const int serverEnd = path.indexOf(QLatin1Char('\\'), 2);
    if (serverEnd < 0)
        return path;
    if (serverOnly)
        return path.left(serverEnd);
    const int shareEnd = path.indexOf(QLatin1Char('\\'), serverEnd + 1);
    return shareEnd < 0 ? path : path.left(shareEnd);
}

bool CStoragePath::IsReachableUNCServer(const char* path)
{
    return path && reachableServer(QString::fromUtf8(path));
}
bool CStoragePath::IsReachableUNCServer(const char16_t* path)
{
    return path && reachableServer(NRTextFromUnits(path));
}
bool CStoragePath::IsReachableUNCServer(const QString& path)
{
    return !path.isNull() && reachableServer(path);
}

bool CStoragePath::IsValidGotoPath(const QString& text)
{
    static const QString kSevenForbidden = QStringLiteral(":*?\"<>|");
    auto holdsForbidden = [](const QString& part) {
        for (QChar c : kSevenForbidden)
            if (part.contains(c))
                return true;
        return false;
    };
    if (text.size() > 259 || text.startsWith(QLatin1String("\\\\.\\")))
        return false;
    const bool unc = text.startsWith(QLatin1String("\\\\"));
    if (unc && !IsReachableUNCServer(text.toLatin1().constData()))
        return false;
    QString rest = unc ? text.mid(2) : text;
    if (IsNASPath(text)) {
        rest = text.mid(4);
        if (holdsForbidden(rest))
            return false;
        rest = rest.mid(2);
    }
    if (rest.contains(QLatin1String("\\\\")))
        return false;
    return !(IsFtpUrl(text) && holdsForbidden(text.mid(6)));
}

bool CStoragePath::ResolvesToIPv4(const QString& host)
{
    if (host.isEmpty())
        return false;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &result);
    if (result)
        freeaddrinfo(result);
    return rc == 0;
}

void CStoragePath::SetResolverForTest(ResolverFn fn)
{
    g_resolver.storeRelease(reinterpret_cast<void*>(fn));
}
