#include "CTreeItemDelegate.h"
#include "Util.h"
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace {
const QColor kSelectedBackground(0x19, 0x19, 0x1a);
const QColor kHoverBackground(0xe7, 0xe9, 0xf2);
const QColor kSelectedText(0xe7, 0xe9, 0xf2);
const QColor kNameText(0x42, 0x44, 0x4c);
constexpr qreal kRadius = 2.0;

// A rectangle with only the left or only the right corners rounded.
QPainterPath HalfRoundedRect(const QRectF& r, bool left)
{
    QPainterPath path;
    const qreal d = 2 * kRadius;
    if (left) {
        path.moveTo(r.right(), r.top());
        path.lineTo(r.left() + kRadius, r.top());
        path.arcTo(QRectF(r.left(), r.top(), d, d), 90, 90);
        path.lineTo(r.left(), r.bottom() - kRadius);
        path.arcTo(QRectF(r.left(), r.bottom() - d, d, d), 180, 90);
        path.lineTo(r.right(), r.bottom());
    } else {
        path.moveTo(r.left(), r.top());
        path.lineTo(r.right() - kRadius, r.top());
        path.arcTo(QRectF(r.right() - d, r.top(), d, d), 90, -90);
        path.lineTo(r.right(), r.bottom() - kRadius);
        path.arcTo(QRectF(r.right() - d, r.bottom() - d, d, d), 0, -90);
        path.lineTo(r.left(), r.bottom());
    }
    path.closeSubpath();
    return path;
}
} // namespace

CTreeItemDelegate::CTreeItemDelegate(QObject* parent, int spacing)
    : QStyledItemDelegate(parent), spacing(spacing), textColor(0x5c, 0x5c, 0x5c)
{
    checkImages << Util::getResFullPath(QStringLiteral("../res/check_unsel.svg"))
                << Util::getResFullPath(QStringLiteral("../res/check_halfsel.svg"))
                << Util::getResFullPath(QStringLiteral("../res/check_sel.svg"));
}

QColor CTreeItemDelegate::SelectedText()
{
    return kSelectedText;
}

CTreeItemDelegate::~CTreeItemDelegate() = default;

QSvgRenderer* CTreeItemDelegate::Renderer(int state) const
{
    if (state < 0 || state > 2)
        return nullptr;
    if (!tried[state]) {
        tried[state] = true;
        std::unique_ptr<QSvgRenderer> r(new QSvgRenderer(checkImages.value(state)));
        if (r->isValid())
            renderers[state] = std::move(r);
    }
    return renderers[state].get();
}

void CTreeItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    const bool hover = option.state & QStyle::State_MouseOver;
    const QRect cell = option.rect;

    // 1. Background.
    if (selected || hover) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        painter->setBrush(selected ? kSelectedBackground : kHoverBackground);
        if (index.column() == 0)
            painter->drawPath(HalfRoundedRect(cell, true));
        else if (option.viewItemPosition == QStyleOptionViewItem::End)
            painter->drawPath(HalfRoundedRect(cell, false));
        else
            painter->drawRect(cell);
        painter->setRenderHint(QPainter::Antialiasing, false);
    }

    // 2. Text and its area.
    const QString text = index.data(Qt::DisplayRole).toString();
    QRect textArea = cell;

    if (index.column() == 0) {
        // 3. Check box and icon.
        int x = cell.left() + 2;
        int used = 0;
        const QVariant check = index.data(Qt::CheckStateRole);
        if (check.isValid()) {
            if (QSvgRenderer* r = Renderer(check.toInt())) {
                const QSize size = r->defaultSize();
                r->render(painter, QRectF(x, cell.top() + (cell.height() - size.height()) / 2, size.width(),
                                          size.height()));
                x += spacing + size.width();
                used += spacing + size.width();
            }
        }
        const QVariant decoration = index.data(Qt::DecorationRole);
        if (decoration.canConvert<QIcon>()) {
            const QIcon icon = decoration.value<QIcon>();
            const QPixmap pm = icon.pixmap(QSize(16, 16));
            if (!pm.isNull()) {
                painter->drawPixmap(QRect(x, cell.top() + (cell.height() - 16) / 2, 16, 16), pm);
                used += spacing + 16;
            }
        }
        textArea.setLeft(textArea.left() + used + spacing);
    } else {
        // 4. Other columns.
        textArea.setLeft(textArea.left() + 10);
    }

    // 5. Text.
    painter->setFont(option.font);
    painter->setPen(selected ? kSelectedText : index.column() == 0 ? kNameText : textColor);
    const QString shown = QFontMetrics(option.font).elidedText(text, Qt::ElideRight, qMax(0, textArea.width()));
    painter->drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, shown);
    painter->restore();
}
