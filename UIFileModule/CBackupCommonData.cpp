#include "CBackupCommonData.h"

#include "CUIManagerLoader.h"
#include "IUICommon.h"
#include "IUIManager.h"

#include <QWidget>
#include <cstring>

CBackupCommonData::CBackupCommonData(IUIManager* manager, QWidget* parent)
    : QObject(parent), uiManager(manager)
{
    if (!uiManager)
        uiManager = CUIManagerLoader::Cached();
    if (uiManager)
        service = uiManager->GetService();
}

CBackupCommonData::~CBackupCommonData() = default;

void CBackupCommonData::SetTaskGuid(const uint8_t guid[16])
{
    if (guid)
        std::memcpy(taskGuid, guid, sizeof taskGuid);
}
