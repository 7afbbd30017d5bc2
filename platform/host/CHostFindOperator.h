#pragma once
#include "CHostContextCore.h"
#include "IUIFindOperator.h"

#include <QSet>

// The find piece of a host context: turns the search-selection block of the recovery page
// (CSearchSelection) into a filter block of whole-path includes.
class CHostFindOperator : public virtual CHostContextCore, public IUIFindOperator
{
public:
    ~CHostFindOperator() override;

    // *block is null and *size 0 when no record names a path.
    uint32_t GenerateFilter(const void* selection, uint32_t* size, void** block) override;
    // Frees a block this context generated; anything else is left alone.
    void FreeGeneratedFilter(void* block) override;

private:
    QSet<void*> m_generated;
};
