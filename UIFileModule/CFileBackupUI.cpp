#include "CFileBackupUI.h"

#include "CTrace.h"

#include <QCoreApplication>
#include <QVBoxLayout>

CFileBackupUI::CFileBackupUI(bool smart, bool edit, QWidget* parentForDialogs)
    : QFrame(nullptr), dialogParent(parentForDialogs), smartMode(smart), editMode(edit)
{
    setObjectName(QStringLiteral("CFileBackupUI"));
    setStyleSheet(QStringLiteral("CFileBackupUI#CFileBackupUI{border-radius:8px;}"));
    setWindowTitle(QCoreApplication::translate("CFileBackupPage", "FileBackup"));
    mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(12, 10, 12, 0);
}

CFileBackupUI::~CFileBackupUI() = default;

IFileBrower* CFileBackupUI::GetBrower(int index) const
{
    return index == 0 ? browser : nullptr;
}

void CFileBackupUI::ShowPage(bool, uint32_t)
{
}

void CFileBackupUI::Release()
{
    NR_TRACE(u"[CFileBackupUI::Release]File = %s, Line = %u, this = %p", __FILE__, unsigned(__LINE__),
             static_cast<void*>(this));
    deleteLater();
}

int64_t CFileBackupUI::OnMsg(NRDeliveryRecord)
{
    return 0;
}
