#include "CFileRecoveryUI.h"

CFileRecoveryUI::CFileRecoveryUI(QWidget* parent, uint64_t id) : QWidget(parent), pageId(id)
{
    setObjectName(QStringLiteral("CFileRecoveryUI"));
}

CFileRecoveryUI::~CFileRecoveryUI() = default;

uint32_t CFileRecoveryUI::InitView(const void*)
{
    if (!defaultTree)
        return kInitViewNoTree;
    return 0;
}
