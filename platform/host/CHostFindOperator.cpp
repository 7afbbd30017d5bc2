#include "CHostFindOperator.h"

#include "CFilterBlock.h"
#include "CTrace.h"
#include "HostResult.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t kGenerateBadArg = HostResult::Make(0x461, HostResult::kErrInvalidArg);
constexpr uint32_t kGenerateTooMany = HostResult::Make(0x462, HostResult::kErrInvalidArg);
constexpr uint32_t kGenerateEncode = HostResult::Make(0x463, HostResult::kErrGeneral);
constexpr uint32_t kGenerateNoMemory = HostResult::Make(0x464, 8);
// A search shows far fewer results than this; bounds what a bad count makes the host read.
constexpr uint32_t kMaxSelectionRecords = 1u << 16;

QString lastComponent(const QString& path)
{
    const int cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}
} // namespace

CHostFindOperator::~CHostFindOperator()
{
    for (void* block : m_generated)
        std::free(block);
}

uint32_t CHostFindOperator::GenerateFilter(const void* selection, uint32_t* size, void** block)
{
    if (!selection || !size || !block) {
        NoteCall(QStringLiteral("IUIFindOperator::GenerateFilter(null)"));
        return kGenerateBadArg;
    }
    *size = 0;
    *block = nullptr;
    uint32_t count = 0;
    std::memcpy(&count, selection, sizeof count);
    NoteCall(QStringLiteral("IUIFindOperator::GenerateFilter(%1)").arg(count));
    if (count > kMaxSelectionRecords)
        return kGenerateTooMany;
    const auto* bytes = static_cast<const char*>(selection);
    Data().searchSelections.append(QByteArray(bytes, static_cast<int>(4 + count * kSelectionRecordSize)));
    if (Data().generateFilterResult != 0)
        return Data().generateFilterResult;

    CFilterBlock filter;
    for (uint32_t i = 0; i < count; ++i) {
        const char* record = bytes + 4 + static_cast<size_t>(i) * kSelectionRecordSize;
        uint32_t isFolder = 0;
        std::memcpy(&isFolder, record, sizeof isFolder);
        // The text fields are copied out first: the records are packed, the texts unaligned.
        char16_t path[kPathChars];
        std::memcpy(path, record + kPathOffset, sizeof path);
        const QString pathText = BoundedText(path, kPathChars);
        if (pathText.isEmpty())
            continue; // items the page could not describe leave zero records behind
        QString name = lastComponent(pathText);
        if (!isFolder) {
            char16_t display[kNameChars];
            std::memcpy(display, record + kNameOffset, sizeof display);
            const QString displayName = BoundedText(display, kNameChars);
            if (!displayName.isEmpty())
                name = displayName;
        }
        filter.AppendInclude(name, pathText, isFolder != 0, true, 0);
    }
    if (filter.IsEmpty())
        return 0;
    QByteArray out;
    const uint32_t r = filter.Serialize(out);
    if (r != 0) {
        NR_TRACE(u"File = %s, Line = %u, search selection not encodable: 0x%08X", __FILE__, __LINE__, r);
        return kGenerateEncode;
    }
    void* copy = std::malloc(static_cast<size_t>(out.size()));
    if (!copy)
        return kGenerateNoMemory;
    std::memcpy(copy, out.constData(), static_cast<size_t>(out.size()));
    m_generated.insert(copy);
    ++Data().generatedBlocksOut;
    *block = copy;
    *size = static_cast<uint32_t>(out.size());
    return 0;
}

void CHostFindOperator::FreeGeneratedFilter(void* block)
{
    NoteCall(QStringLiteral("IUIFindOperator::FreeGeneratedFilter()"));
    if (!block)
        return;
    if (!m_generated.remove(block)) {
        NR_TRACE(u"File = %s, Line = %u, not a generated block, left alone", __FILE__, __LINE__);
        return;
    }
    std::free(block);
    --Data().generatedBlocksOut;
}
