#pragma once
#include <QHeaderView>
#include <QStringList>

class QTreeWidget;

// Horizontal header that paints flat white sections with thin lines: an optional grey line on
// top, a light line at the bottom and a light separator at each section's right edge.
class CListBaseHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit CListBaseHeader(QWidget* parent = nullptr, QTreeWidget* treeWidget = nullptr);

    QSize sizeHint() const override;

    int TopLine() const { return topLine; }
    void SetTopLine(int h) { topLine = h; }
    int BottomLine() const { return bottomLine; }
    void SetBottomLine(int h) { bottomLine = h; }
    int SeparatorWidth() const { return separatorWidth; }
    void SetSeparatorWidth(int w) { separatorWidth = w; }
    int HeaderHeight() const { return height; }
    void SetHeaderHeight(int h) { height = h; }
    bool SortArrowShown() const { return sortArrowShown; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    // The three lines of a section, as the base class draws them.
    void PaintTopLine(QPainter* painter, const QRect& rect) const;
    void PaintBottomLine(QPainter* painter, const QRect& rect) const;
    void PaintSeparator(QPainter* painter, const QRect& rect) const;

    QTreeWidget* treeWidget;
    QStringList labels;
    bool sortArrowShown = false;
    int height = 40;
    int topLine = 0;
    int bottomLine = 1;
    int separatorWidth = 1;
};
