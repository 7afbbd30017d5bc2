#pragma once
#include <QColor>
#include <QStringList>
#include <QStyledItemDelegate>
#include <memory>

class QSvgRenderer;

// Paints every row of the browser's views: a rounded selection or hover background, an SVG
// check box and the node's icon in column 0, and the elided text.
class CTreeItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CTreeItemDelegate(QObject* parent, int spacing);
    ~CTreeItemDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    int Spacing() const { return spacing; }
    // The text colour of a selected row; what else is drawn on it (a branch arrow) takes it too,
    // or it would vanish into the dark selection.
    static QColor SelectedText();
    const QStringList& CheckImages() const { return checkImages; }

private:
    // The renderer of a check state's image, loaded on first use; null for a bad state or file.
    QSvgRenderer* Renderer(int state) const;

    QStringList checkImages;
    int spacing;
    QColor textColor;
    mutable std::unique_ptr<QSvgRenderer> renderers[3];
    mutable bool tried[3] = {false, false, false};
};
