#pragma once
#include <QPixmap>
#include <QString>

// Resource images of the browser ("../res/..."), resolved through the widget library and kept
// in Qt's pixmap cache. On a screen with a device pixel ratio above 1 the "@2x" variant of a
// file is preferred, so arrows and spinner frames stay sharp at 200 %.
class CResPixmap
{
public:
    // A null pixmap when no file of that name can be read.
    static QPixmap Load(const QString& resPath, qreal devicePixelRatio = 1.0);
};
