#include "CNodeInfo.h"
#include "CLvFileSystemNodeMgr.h"
#include <QLocale>

void CNodeInfo::FillModifiedText()
{
    if (modifiedText.isEmpty() && modified.isValid())
        modifiedText = QLocale::system().toString(modified, QLocale::ShortFormat);
}

bool CNodeInfo::IsSameEntry(const CNodeInfo& other) const
{
    return owner == other.owner && CLvFileSystemNodeMgr::IsValidNode(owner) && modified == other.modified;
}
