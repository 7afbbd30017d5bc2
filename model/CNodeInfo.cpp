#include "CNodeInfo.h"
#include "CLvFileSystemNodeMgr.h"
#include <QHash>
#include <QLocale>

QString CNodeInfo::ModifiedText() const
{
    if (!modifiedText.isEmpty() || !modified.isValid())
        return modifiedText;
    // Entries of one folder or backup often share their times, and formatting a date in the
    // locale costs more than the rest of a node: each thread keeps the texts it made last.
    constexpr int kKeptTexts = 4096;
    thread_local QHash<qint64, QString> made;
    const qint64 key = modified.toMSecsSinceEpoch() ^ (qint64(modified.timeSpec()) << 60);
    auto it = made.constFind(key);
    if (it != made.constEnd())
        return it.value();
    if (made.size() >= kKeptTexts)
        made.clear();
    const QString text = QLocale::system().toString(modified, QLocale::ShortFormat);
    made.insert(key, text);
    return text;
}

bool CNodeInfo::IsSameEntry(const CNodeInfo& other) const
{
    return owner == other.owner && CLvFileSystemNodeMgr::IsValidNode(owner) && modified == other.modified;
}
