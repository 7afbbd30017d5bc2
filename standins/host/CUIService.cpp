#include "CUIService.h"

#include "CHostPathMap.h"
#include "CTrace.h"
#include "HostResult.h"

#include <mutex>

#include <cstring>

#include <sys/stat.h>

namespace {

constexpr uint32_t kCodeTextBadArg = HostResult::Make(0x201, HostResult::kErrInvalidArg);
constexpr uint32_t kCodeTextTooSmall = HostResult::Make(0x202, HostResult::kErrBufferTooSmall);
constexpr uint32_t kFolderBadArg = HostResult::Make(0x203, HostResult::kErrInvalidArg);
constexpr uint32_t kFolderBadPath = HostResult::Make(0x204, HostResult::kErrBadPath);
constexpr uint32_t kFolderNoLocation = HostResult::Make(0x205, HostResult::kErrLocationMissing);
constexpr uint32_t kFolderMissing = HostResult::Make(0x206, HostResult::kErrFolderMissing);
constexpr uint32_t kUrlBadArg = HostResult::Make(0x207, HostResult::kErrInvalidArg);
constexpr uint32_t kUrlUnknownKey = HostResult::Make(0x208, HostResult::kErrNotFound);
constexpr uint32_t kUrlTooSmall = HostResult::Make(0x209, HostResult::kErrBufferTooSmall);

// Texts of error numbers that the host knows, whichever module produced the code. The module's
// own numbers are its own business; it asks here only for what its table lacks.
struct CodeEntry
{
    uint32_t errorNumber;
    const char* text;
};
const CodeEntry kCodeTexts[] = {
    {0, "The operation completed successfully."},
    {HostResult::kErrGeneral, "The operation failed."},
    {8, "Not enough memory."},
    {HostResult::kErrMissingObject, "A required component is missing."},
    {HostResult::kErrUnsupported, "The request is not supported."},
    {HostResult::kErrInvalidArg, "Invalid argument."},
    {HostResult::kErrBufferTooSmall, "The buffer is too small."},
    {HostResult::kErrNotFound, "The item was not found."},
    {HostResult::kErrFolderMissing, "The folder does not exist."},
    {HostResult::kErrLocationMissing, "The drive or network location is not available."},
    {HostResult::kErrBadPath, "The path is not valid."},
};

struct UrlEntry
{
    const char16_t* key;
    const char* url; // %1 stands for the result code
};
const UrlEntry kSupportUrls[] = {
    {u"ExchangeSupportURL", "https://support.example.com/exchange?code=%1"},
    {u"NR_KBUrl", "https://support.example.com/kb?code=%1"},
};

// Copies text with its terminator when it fits; a text that does not fit is not cut (a cut
// address or message would be wrong), the buffer then holds an empty string.
bool copyOut(const QString& text, char16_t* buf, uint32_t chars)
{
    if (static_cast<uint32_t>(text.size()) + 1 > chars) {
        buf[0] = 0;
        return false;
    }
    std::memcpy(buf, text.utf16(), static_cast<size_t>(text.size()) * sizeof(char16_t));
    buf[text.size()] = 0;
    return true;
}

} // namespace

class CUIService::Private
{
public:
    mutable std::mutex mutex;
    QString iniPath = QStringLiteral("./default.ini");
};

CUIService::CUIService() : d(new Private) {}

CUIService::~CUIService()
{
    delete d;
}

QString CUIService::CodeText(uint32_t code)
{
    const uint32_t number = code & 0xFFFu;
    for (const CodeEntry& e : kCodeTexts)
        if (e.errorNumber == number)
            return QString::fromUtf8(e.text);
    return QString::asprintf("Error code 0x%08X", code);
}

uint32_t CUIService::GetCodeText(uint32_t code, char16_t* buf, uint32_t chars)
{
    if (!buf || chars == 0)
        return kCodeTextBadArg;
    return copyOut(CodeText(code), buf, chars) ? 0 : kCodeTextTooSmall;
}

uint32_t CUIService::CheckFolderExists(const char16_t* path)
{
    if (!path || !*path)
        return kFolderBadArg;
    const QString windowsPath = QString::fromUtf16(path);
    QByteArray directory;
    switch (CHostPathMap(DefaultIniPath()).Map(windowsPath, &directory)) {
    case CHostPathMap::BadPath:
        return kFolderBadPath;
    case CHostPathMap::LocationMissing:
        return kFolderNoLocation;
    case CHostPathMap::Mapped:
        break;
    }
    struct stat st;
    return (::stat(directory.constData(), &st) == 0 && S_ISDIR(st.st_mode)) ? 0 : kFolderMissing;
}

uint32_t CUIService::GetSupportUrl(const char16_t* key, char16_t* buf, uint32_t chars)
{
    if (!key || !buf || chars == 0)
        return kUrlBadArg;
    const QString wanted = QString::fromUtf16(key);
    for (const UrlEntry& e : kSupportUrls) {
        if (wanted == QString::fromUtf16(e.key))
            return copyOut(QString::fromUtf8(e.url), buf, chars) ? 0 : kUrlTooSmall;
    }
    buf[0] = 0;
    NR_TRACE(u"File = %s, Line = %u, no support address for %S", __FILE__, __LINE__, key);
    return kUrlUnknownKey;
}

void CUIService::SetDefaultIniPath(const QString& path)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->iniPath = path;
}

QString CUIService::DefaultIniPath() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->iniPath;
}
