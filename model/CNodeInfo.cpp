#include "CNodeInfo.h"
#include "CLvFileSystemNodeMgr.h"
#include <QLocale>

QString CNodeInfo::ModifiedText() const
{
    if (!modifiedText.isEmpty() || !modified.isValid())
        return modifiedText;
    return QLocale::system().toString(modified, QLocale::ShortFormat);
}

bool CNodeInfo::IsSameEntry(const CNodeInfo& other) const
{
    return owner == other.owner && CLvFileSystemNodeMgr::IsValidNode(owner) && modified == other.modified;
}
