#include "CBackupCommonData.h"

#include "CUIManagerLoader.h"
#include "CStoragePath.h"
#include "IMsgHub.h"
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

void CBackupCommonData::ProposeTaskName(const QString& name, const QString& fallback)
{
    QString proposed = name;
    if (!CStoragePath::HasNoInvalidFileNameChars(proposed.toUtf8().constData()))
        proposed = CStoragePath::StripInvalidFileNameChars(proposed);
    if (proposed.isEmpty())
        proposed = fallback;
    IMsgHub* hub = uiManager ? uiManager->GetHub() : nullptr;
    if (!hub)
        return;
    char16_t payload[kTaskNamePayloadBytes / 2] = {};
    const QString cut = proposed.left(259);
    std::memcpy(payload, cut.utf16(), size_t(cut.size()) * 2);
    hub->Send(kMsgProposedTaskName, 0, payload, kTaskNamePayloadBytes);
}
