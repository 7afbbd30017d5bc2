#include "CHostFindOperator.h"

#include "CFilterBlock.h"
#include "CSearchSelection.h"
#include "CTrace.h"
#include "HostResult.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t kGenerateBadArg = HostResult::Make(0x461, HostResult::kErrInvalidArg);
constexpr uint32_t kGenerateBadSelection = HostResult::Make(0x462, HostResult::kErrInvalidArg);
constexpr uint32_t kGenerateEncode = HostResult::Make(0x463, HostResult::kErrGeneral);
constexpr uint32_t kGenerateNoMemory = HostResult::Make(0x464, 8);

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
    const uint32_t selectionSize = *size;
    *size = 0;
    *block = nullptr;
    QVector<CSearchSelection::Item> items;
    const uint32_t read = CSearchSelection::Read(selection, selectionSize, &items);
    NoteCall(QStringLiteral("IUIFindOperator::GenerateFilter(%1)").arg(items.size()));
    if (read != 0) {
        NR_TRACE(u"File = %s, Line = %u, search selection refused: 0x%08X", __FILE__, __LINE__, read);
        return kGenerateBadSelection;
    }
    Data().searchSelections.append(QByteArray(static_cast<const char*>(selection), static_cast<int>(selectionSize)));
    if (Data().generateFilterResult != 0)
        return Data().generateFilterResult;

    CFilterBlock filter;
    for (const CSearchSelection::Item& item : qAsConst(items)) {
        const QString name = item.folder || item.name.isEmpty() ? lastComponent(item.path) : item.name;
        filter.AppendInclude(name, item.path, item.folder, true, 0);
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
