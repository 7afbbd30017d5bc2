#pragma once
#include <cstdint>

// The host's UI-logic object. Its third operation hands out services by interface id
// (10: the folder-tree service, IFolderTree).
class IUILogic
{
public:
    static constexpr uint32_t kFolderTreeId = 10;

    virtual ~IUILogic() = default;
    virtual uint32_t Version() = 0;
    virtual uint32_t QueryInterface(uint32_t id, void** out) = 0;
};
