#include "CKWToolButton.h"

#include "Util.h"

#include <QIcon>

CKWToolButton::CKWToolButton(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void CKWToolButton::SetIconPath(const QString& resPath)
{
    setIcon(QIcon(Util::getResFullPath(resPath)));
}
