#include "CKWLinkerButton.h"

CKWLinkerButton::CKWLinkerButton(QWidget* parent) : QPushButton(parent) { applyLook(); }

CKWLinkerButton::CKWLinkerButton(const QString& text, QWidget* parent) : QPushButton(text, parent) { applyLook(); }

void CKWLinkerButton::SetLinkColor(const QColor& color)
{
    m_color = color;
    applyLook();
}

void CKWLinkerButton::applyLook()
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    const QString c = m_color.name();
    setStyleSheet(QStringLiteral("CKWLinkerButton{border:none; background:transparent; padding:0; color:%1;"
                                 " text-align:left;}"
                                 "CKWLinkerButton:hover{text-decoration:underline;}"
                                 "CKWLinkerButton:disabled{color:#b4b7c3;}")
                      .arg(c));
}
