#include "CKWBrowserFilterProc.h"

#include "CFilterBlock.h"
#include "CTrace.h"

#include <cstring>

CKWBrowserFilterProc::CKWBrowserFilterProc(bool validateEntries) : m_validateEntries(validateEntries) {}

int CKWBrowserFilterProc::IDentifyFilterType(_NR_FILTERS_HEAD* head) const
{
    if (!head)
        return FilterInvalid;
    uint32_t total = 0;
    std::memcpy(&total, reinterpret_cast<const uint8_t*>(head) + offsetof(_NR_FILTERS_HEAD, totalSize), sizeof total);
    // Without full validation nothing past the header is trusted, whatever the size field says.
    return IdentifyFilterType(head, m_validateEntries ? total : CFilterBlock::kHeadSize);
}

int CKWBrowserFilterProc::IdentifyFilterType(const void* block, size_t size) const
{
    if (!block || size < CFilterBlock::kHeadSize)
        return FilterInvalid;
    _NR_FILTERS_HEAD head;
    std::memcpy(&head, block, sizeof head);
    if (head.magic != CFilterBlock::kMagic || head.version != CFilterBlock::kVersion || head.count == 0
        || head.totalSize < CFilterBlock::kHeadSize)
        return FilterInvalid;
    if (head.selectionType != CFilterBlock::kSelectPaths && head.selectionType != CFilterBlock::kSelectFileTypes)
        return FilterInvalid;
    if (m_validateEntries) {
        if (head.totalSize > size)
            return FilterInvalid;
        const uint32_t code = CFilterBlock::Validate(block, head.totalSize);
        if (NRResult::Failed(code)) {
            NR_TRACE(u"File = %s, Line = %u, filter block refused, code 0x%08X", __FILE__, __LINE__, code);
            return FilterInvalid;
        }
    }
    return head.selectionType == CFilterBlock::kSelectFileTypes ? FilterByFileType : FilterByPath;
}
