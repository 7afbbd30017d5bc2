#pragma once
#include <QComboBox>

// Combo box of the library's look. With border antenna drawing on, the box paints its own
// border: square on the left, where it meets the edit it is attached to (that edit draws no
// right border), rounded on the right, with a thin divider on the joining edge, so the edit and
// the combo read as one control.
class CKWComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CKWComboBox(QWidget* parent = nullptr);

    void SetBorderAntennaDrawing(bool on);
    bool IsBorderAntennaDrawing() const;
    void SetBorderColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_antenna = false;
    bool m_hover = false;
    QColor m_border{0x7d, 0x7f, 0x91};
};
