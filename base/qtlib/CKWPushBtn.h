#pragma once
#include <QPushButton>

// Push button of the library's look: rounded, a hand cursor, and a primary (filled) variant
// for the button that confirms a dialog.
class CKWPushBtn : public QPushButton
{
    Q_OBJECT
public:
    explicit CKWPushBtn(QWidget* parent = nullptr);
    explicit CKWPushBtn(const QString& text, QWidget* parent = nullptr);

    void SetPrimary(bool primary);
    bool IsPrimary() const;

private:
    void applyLook();
    bool m_primary = false;
};
