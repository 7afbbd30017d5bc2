#include "CKWLineEdit.h"

#include <QKeyEvent>

namespace {
bool isEnter(const QKeyEvent* e) { return e->key() == Qt::Key_Enter || e->key() == Qt::Key_Return; }

const char* const kLook = "CKWLineEdit{border:1px solid #c9ccd8; border-radius:4px; padding:2px 6px;"
                          " background:#ffffff; selection-background-color:#2f6fde;}"
                          "CKWLineEdit:focus{border-color:#2f6fde;}"
                          "CKWLineEdit:disabled{background:#f4f5f8; color:#b4b7c3;}";
} // namespace

CKWLineEdit::CKWLineEdit(QWidget* parent) : QLineEdit(parent) { setStyleSheet(QLatin1String(kLook)); }

CKWLineEdit::CKWLineEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent)
{
    setStyleSheet(QLatin1String(kLook));
}

void CKWLineEdit::keyPressEvent(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
    if (!isEnter(event))
        emit KeyPressed(event);
}

void CKWLineEdit::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
    if (isEnter(event) && !event->isAutoRepeat())
        emit KeyPressed(event);
}
