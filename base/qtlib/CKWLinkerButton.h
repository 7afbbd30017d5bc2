#pragma once
#include <QPushButton>

// A button that looks like a hyperlink: coloured text, underlined under the mouse, hand cursor.
class CKWLinkerButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CKWLinkerButton(QWidget* parent = nullptr);
    explicit CKWLinkerButton(const QString& text, QWidget* parent = nullptr);

    void SetLinkColor(const QColor& color);

private:
    void applyLook();
    QColor m_color{0x2f, 0x6f, 0xde};
};
