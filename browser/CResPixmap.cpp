#include "CResPixmap.h"
#include "Util.h"
#include <QFileInfo>
#include <QPixmapCache>

namespace {
QString HighResName(const QString& path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash)
        return path + QLatin1String("@2x");
    return path.left(dot) + QLatin1String("@2x") + path.mid(dot);
}
} // namespace

QPixmap CResPixmap::Load(const QString& resPath, qreal devicePixelRatio)
{
    const bool highRes = devicePixelRatio > 1.0;
    const QString key = QLatin1String("nrres:") + resPath + (highRes ? QLatin1String("@2x") : QString());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (highRes) {
        const QString full = Util::getResFullPath(HighResName(resPath));
        if (QFileInfo::exists(full) && pixmap.load(full))
            pixmap.setDevicePixelRatio(2.0);
    }
    if (pixmap.isNull()) {
        const QString full = Util::getResFullPath(resPath);
        if (!full.isEmpty() && QFileInfo::exists(full))
            pixmap.load(full);
    }
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}
