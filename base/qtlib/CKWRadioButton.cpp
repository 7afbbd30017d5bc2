#include "CKWRadioButton.h"

namespace {
const char* const kLook = "CKWRadioButton{spacing:6px; color:#3c3f4e;} CKWRadioButton:disabled{color:#b4b7c3;}";
}

CKWRadioButton::CKWRadioButton(QWidget* parent) : QRadioButton(parent)
{
    setStyleSheet(QLatin1String(kLook));
    setCursor(Qt::PointingHandCursor);
}

CKWRadioButton::CKWRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent)
{
    setStyleSheet(QLatin1String(kLook));
    setCursor(Qt::PointingHandCursor);
}
