#pragma once
#include <QColor>
#include <QSizePolicy>
#include <QWidget>

class QBoxLayout;
class QLayout;
class QSpacerItem;

// Box container: lays its children out in a row or a column, with a border width around them
// and an optional frame drawn on that border.
class CKWBox : public QWidget
{
    Q_OBJECT
public:
    enum BoxType { Vertical, Horizontal };

    explicit CKWBox(QWidget* parent = nullptr); // vertical
    explicit CKWBox(BoxType type, QWidget* parent = nullptr);
    ~CKWBox() override;

    // Appends a widget or layout. `expand`: it takes a share of the extra space along the box;
    // `fill`: it spans the box across (otherwise it keeps its size hint and is centred);
    // `padding`: empty space before and after it along the box.
    void PackStart(QWidget* widget, bool expand = true, bool fill = true, int padding = 0);
    void PackStart(QLayout* layout, bool expand = true, bool fill = true, int padding = 0);
    // The box owns the item.
    void AddSpacerItem(QSpacerItem* item);
    // An empty item that takes the extra space along the box.
    void AddSpacerItem();
    void AddSpacing(int size);
    void SetSpacing(int spacing);
    void SetBorderWidth(int left, int top, int right, int bottom);
    void SetDrawFrame(bool draw);
    bool IsDrawFrame() const;
    void SetFrameClr(const QColor& color);
    QColor FrameClr() const;
    // Rounds the frame's corners (0, the default, draws them square).
    void SetFrameRadius(int radius);

    BoxType Type() const;
    QBoxLayout* BoxLayout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBoxLayout* m_layout;
    BoxType m_type;
    bool m_drawFrame = false;
    QColor m_frameClr{0xc9, 0xcc, 0xd8};
    int m_radius = 0;
};
