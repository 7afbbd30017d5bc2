#include "CSelectItem.h"

CSelectItem::CSelectItem(bool include_, bool isDir_, const QByteArray& path_, NodeIndex id_)
    : isDir(isDir_), id(id_), path(path_), include(include_)
{
}

void CSelectItem::AddInclude(const CSelectItemPtr& item)
{
    if (!item)
        return;
    QMutexLocker lock(&mutex);
    includes.insert(QString::fromUtf8(item->path), item);
}

void CSelectItem::AddExclude(const CSelectItemPtr& item)
{
    if (!item)
        return;
    QMutexLocker lock(&mutex);
    excludes.insert(QString::fromUtf8(item->path), item);
}

void CSelectItem::Clear()
{
    QMutexLocker lock(&mutex);
    includes.clear();
    excludes.clear();
}
