#include "CUIManagerLoader.h"

#include "CLibLoader.h"
#include "IUIManager.h"

IUIManager* CUIManagerLoader::Load()
{
    auto create = reinterpret_cast<NRUIManagerCreateFn>(
        CLibLoader::Resolve(QStringLiteral("UIManager"), "CreateObject"));
    return create ? create() : nullptr;
}

IUIManager* CUIManagerLoader::Cached()
{
    IUIManager* manager = Load();
    if (!manager)
        return nullptr;
    NRGlobalUIData* data = manager->GetGlobalUIData();
    if (!data)
        return manager;
    if (!data->uiManager)
        data->uiManager = Load();
    return data->uiManager;
}
