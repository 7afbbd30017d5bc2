#pragma once
#include <cstddef>

// The 56-byte block header; CFilterBlock.h defines it.
struct _NR_FILTERS_HEAD;

// Tells what a filter block selects. The block carries its own total size in its header; with
// full validation (the constructor's flag) every entry inside that size is checked as well, else
// only the 56-byte header is read.
class CKWBrowserFilterProc
{
public:
    enum FilterType { FilterInvalid = -1, FilterByPath = 0, FilterByFileType = 1 };

    explicit CKWBrowserFilterProc(bool validateEntries);

    // `head` must point at a whole block (at least its header); null is invalid.
    int IDentifyFilterType(_NR_FILTERS_HEAD* head) const;
    // The same for a block whose size the caller knows: nothing beyond `size` bytes is read.
    int IdentifyFilterType(const void* block, size_t size) const;

private:
    bool m_validateEntries;
};
