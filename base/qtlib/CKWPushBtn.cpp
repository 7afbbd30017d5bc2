#include "CKWPushBtn.h"

namespace {
const char* const kPlainLook =
    "CKWPushBtn{border:1px solid #c9ccd8; border-radius:4px; background:#ffffff; color:#3c3f4e;"
    " padding:3px 14px;}"
    "CKWPushBtn:hover{border-color:#2f6fde; color:#2f6fde;}"
    "CKWPushBtn:pressed{background:#eef3fd;}"
    "CKWPushBtn:disabled{border-color:#e1e3ea; color:#b4b7c3;}";
const char* const kPrimaryLook =
    "CKWPushBtn{border:1px solid #2f6fde; border-radius:4px; background:#2f6fde; color:#ffffff;"
    " padding:3px 14px;}"
    "CKWPushBtn:hover{background:#4a84e8;}"
    "CKWPushBtn:pressed{background:#2559b5;}"
    "CKWPushBtn:disabled{border-color:#a9c1ee; background:#a9c1ee;}";
} // namespace

CKWPushBtn::CKWPushBtn(QWidget* parent) : QPushButton(parent) { applyLook(); }

CKWPushBtn::CKWPushBtn(const QString& text, QWidget* parent) : QPushButton(text, parent) { applyLook(); }

void CKWPushBtn::SetPrimary(bool primary)
{
    m_primary = primary;
    applyLook();
}

bool CKWPushBtn::IsPrimary() const { return m_primary; }

void CKWPushBtn::applyLook()
{
    setCursor(Qt::PointingHandCursor);
    setMinimumWidth(72);
    setStyleSheet(QLatin1String(m_primary ? kPrimaryLook : kPlainLook));
}
