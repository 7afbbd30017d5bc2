#include "CHostContextCore.h"

#include "NRResult.h"

#include <cstring>
#include <utility>

namespace {
// Far more records than a task names; bounds what a bad count can make the host read.
constexpr uint32_t kMaxRecords = 1u << 16;
} // namespace

CHostContextCore::CHostContextCore() : m_data(std::make_shared<CHostTaskData>()) {}

CHostContextCore::CHostContextCore(std::shared_ptr<CHostTaskData> data)
    : m_data(data ? std::move(data) : std::make_shared<CHostTaskData>())
{
}

CHostContextCore::~CHostContextCore() = default;

void CHostContextCore::NoteCall(const QString& call)
{
    m_data->calls.append(call);
}

uint32_t CHostContextCore::ServeBytes(const QByteArray& bytes, void* buffer, uint32_t* size, uint32_t badArg,
                                      uint32_t none)
{
    if (!size)
        return badArg;
    const uint32_t needed = static_cast<uint32_t>(bytes.size());
    if (needed == 0) {
        *size = 0;
        return none;
    }
    if (!buffer || *size < needed) {
        *size = needed;
        return NRResult::kBufferTooSmall;
    }
    std::memcpy(buffer, bytes.constData(), needed);
    *size = needed;
    return 0;
}

uint32_t CHostContextCore::ServeText(const QString& text, char16_t* buffer, uint32_t* length, uint32_t badArg,
                                     uint32_t none)
{
    if (!length)
        return badArg;
    const uint32_t chars = static_cast<uint32_t>(text.size());
    if (chars == 0) {
        *length = 0;
        return none;
    }
    if (!buffer) {
        *length = chars;
        return 0;
    }
    if (*length < chars + 1) {
        *length = chars;
        return NRResult::kBufferTooSmall;
    }
    std::memcpy(buffer, text.utf16(), chars * sizeof(char16_t));
    buffer[chars] = 0;
    *length = chars;
    return 0;
}

bool CHostContextCore::CopyRecords(const void* records, uint32_t count, uint32_t recordSize, QByteArray* out)
{
    if (count == 0) {
        out->clear();
        return true;
    }
    if (!records || count > kMaxRecords)
        return false;
    *out = QByteArray(static_cast<const char*>(records), static_cast<int>(count * recordSize));
    return true;
}

QString CHostContextCore::BoundedText(const char16_t* text, int maxChars)
{
    int n = 0;
    while (n < maxChars && text[n])
        ++n;
    return QString::fromUtf16(text, n);
}
