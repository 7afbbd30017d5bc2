#include "CListBaseHeader.h"
#include <QPainter>

namespace {
const QColor kTopLineColor(192, 192, 192);
const QColor kLineColor(0xdd, 0xe7, 0xf2);
} // namespace

CListBaseHeader::CListBaseHeader(QWidget* parent, QTreeWidget* treeWidget)
    : QHeaderView(Qt::Horizontal, parent), treeWidget(treeWidget)
{
    setDefaultSectionSize(145);
}

QSize CListBaseHeader::sizeHint() const
{
    return QSize(QHeaderView::sizeHint().width(), height);
}

void CListBaseHeader::PaintTopLine(QPainter* painter, const QRect& rect) const
{
    if (topLine > 0)
        painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), topLine), kTopLineColor);
}

void CListBaseHeader::PaintBottomLine(QPainter* painter, const QRect& rect) const
{
    if (bottomLine > 0)
        painter->fillRect(QRect(rect.left(), rect.bottom() - bottomLine + 1, rect.width(), bottomLine), kLineColor);
}

void CListBaseHeader::PaintSeparator(QPainter* painter, const QRect& rect) const
{
    if (separatorWidth <= 0)
        return;
    const int top = rect.top() + topLine + 8;
    const int bottom = rect.bottom() - bottomLine - 8;
    if (bottom >= top)
        painter->fillRect(QRect(rect.right() - separatorWidth + 1, top, separatorWidth, bottom - top + 1), kLineColor);
}

void CListBaseHeader::paintSection(QPainter* painter, const QRect& rect, int) const
{
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    painter->drawRect(rect);
    PaintTopLine(painter, rect);
    PaintBottomLine(painter, rect);
    PaintSeparator(painter, rect);
    painter->restore();
}
