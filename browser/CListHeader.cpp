#include "CListHeader.h"
#include "CResPixmap.h"
#include "CTreeListStyle.h"
#include <QCheckBox>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QTreeWidget>

namespace {
const QColor kTitleColor(0x42, 0x44, 0x4c);
constexpr int kCornerRadius = 8;

// A header icon may come as an icon, a pixmap or an image.
QPixmap TitlePixmap(const QVariant& decoration)
{
    QPixmap pm;
    switch (decoration.userType()) {
    case QMetaType::QIcon: {
        const QIcon icon = decoration.value<QIcon>();
        if (!icon.isNull())
            pm = icon.pixmap(icon.actualSize(QSize(255, 255)));
        break;
    }
    case QMetaType::QPixmap:
        pm = decoration.value<QPixmap>();
        break;
    case QMetaType::QImage:
        pm = QPixmap::fromImage(decoration.value<QImage>());
        break;
    default:
        break;
    }
    if (pm.width() > 255 || pm.height() > 255)
        pm = pm.scaled(QSize(255, 255), Qt::KeepAspectRatio);
    return pm;
}
} // namespace

CListHeader::CListHeader(int checkSection, QWidget* parent)
    : CListBaseHeader(parent, nullptr), checkSection(checkSection)
{
    Init();
}

CListHeader::CListHeader(QTreeWidget* treeWidget, QWidget* parent)
    : CListBaseHeader(parent, treeWidget)
{
    Init();
}

CListHeader::~CListHeader() = default;

void CListHeader::Init()
{
    // A child of the header, so it lives exactly as long as the widget that paints with it.
    style = new CTreeListStyle();
    style->setParent(this);
    setStyle(style);
    setStretchLastSection(true);
    connect(this, SIGNAL(sectionClicked(int)), this, SLOT(onSectionClicked(int)));
}

void CListHeader::onSectionClicked(int)
{
    sortArrowShown = true;
}

int CListHeader::RootCheckState() const
{
    const QAbstractItemModel* m = model();
    if (!m)
        return Qt::Unchecked;
    const QModelIndex root = rootIndex();
    if (!root.isValid() && !m->data(QModelIndex(), Qt::UserRole + 1).toBool())
        return Qt::Unchecked;
    return m->data(root, Qt::CheckStateRole).toInt();
}

bool CListHeader::IsRightMost(int section, const QRect& rect) const
{
    if (rect.right() >= width() - 1)
        return true;
    for (int v = visualIndex(section) + 1; v < count(); ++v) {
        if (!isSectionHidden(logicalIndex(v)))
            return false;
    }
    return true;
}

void CListHeader::PaintCheckBox(QPainter* painter, const QRect& square) const
{
    const int state = RootCheckState();
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.rect = square;
    opt.state &= ~(QStyle::State_Enabled | QStyle::State_Active | QStyle::State_Sunken | QStyle::State_On |
                   QStyle::State_Off | QStyle::State_NoChange | QStyle::State_MouseOver);
    if (isEnabled())
        opt.state |= QStyle::State_Enabled;
    if (window()->isActiveWindow())
        opt.state |= QStyle::State_Active;
    if (state != Qt::Unchecked)
        opt.state |= QStyle::State_Sunken;
    opt.state |= state == Qt::Checked ? QStyle::State_On
                 : state == Qt::PartiallyChecked ? QStyle::State_NoChange : QStyle::State_Off;
    if (testAttribute(Qt::WA_Hover) && underMouse() && square.contains(mapFromGlobal(QCursor::pos())))
        opt.state |= QStyle::State_MouseOver;
    if (!styledCheckBox)
        styledCheckBox.reset(new QCheckBox());
    QHeaderView::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, painter, styledCheckBox.get());
}

void CListHeader::paintSection(QPainter* painter, const QRect& rect, int section) const
{
    // 1. Title and icon from the tree widget's header item or from the model.
    QString title;
    QVariant decoration;
    int columns = 0;
    if (treeWidget && treeWidget->headerItem()) {
        title = treeWidget->headerItem()->text(section);
        decoration = treeWidget->headerItem()->icon(section);
        columns = treeWidget->columnCount();
    } else if (model()) {
        title = model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
        decoration = model()->headerData(section, Qt::Horizontal, Qt::DecorationRole);
        columns = model()->columnCount(rootIndex());
    } else {
        QHeaderView::paintSection(painter, rect, section);
        return;
    }
    const int last = columns - 1;

    painter->save();
    // 2. Background; the right-most section gets the rounded top-right corner.
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    const bool rightMost = IsRightMost(section, rect);
    if (rightMost && roundLastSection) {
        const qreal x = rect.left();
        const qreal y = rect.top();
        const qreal right = width() - 1;
        const qreal bottom = QWidget::height() - 1;
        QPainterPath path;
        path.moveTo(x, y + 1);
        path.lineTo(right - kCornerRadius, y + 1);
        path.arcTo(QRectF(right - 2 * kCornerRadius, y + 1, 2 * kCornerRadius, 2 * kCornerRadius), 90, -90);
        path.lineTo(right, bottom);
        path.lineTo(x, bottom);
        path.closeSubpath();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawPath(path);
        painter->setRenderHint(QPainter::Antialiasing, false);
    } else {
        painter->drawRect(rect);
    }

    // 3. Check-all box.
    QRect textArea = rect;
    QRect square;
    if (section == checkSection) {
        square = QRect(rect.left() + 5, rect.top() + (QWidget::height() - kCheckSize) / 2, kCheckSize, kCheckSize);
        textArea.setLeft(square.right() + 1);
        checkRects[section] = square;
        PaintCheckBox(painter, square);
    }
    // 4. Margins of the title.
    textArea.adjust(10, 0, -2, 0);
    const QRect arrowBase = square.isNull() ? textArea : textArea.united(square);

    // 5. Icon.
    const QPixmap pm = TitlePixmap(decoration);
    if (!pm.isNull()) {
        const QSize size = pm.size() / pm.devicePixelRatio();
        const int y = textArea.top() + (textArea.height() - size.height()) / 2 + 3;
        painter->drawPixmap(QRect(QPoint(textArea.left(), y), size), pm);
        textArea.setLeft(textArea.left() + size.width() + 5);
    }

    // 6. Title.
    painter->setPen(kTitleColor);
    painter->setFont(font());
    const QString shown = painter->fontMetrics().elidedText(title, Qt::ElideRight, qMax(0, textArea.width()));
    painter->drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, shown);

    // 7. Sort arrow above the title.
    if (sortArrowShown) {
        if (section == sortIndicatorSection()) {
            const QPixmap arrow = CResPixmap::Load(sortIndicatorOrder() == Qt::AscendingOrder
                                                       ? QStringLiteral("../res/arrowU.png")
                                                       : QStringLiteral("../res/arrowD.png"),
                                                   painter->device()->devicePixelRatioF());
            if (!arrow.isNull()) {
                const QSize size = arrow.size() / arrow.devicePixelRatio();
                painter->drawPixmap(QRect(QPoint(arrowBase.center().x(), arrowBase.top() + size.height()), size),
                                    arrow);
            }
        }
        PaintBottomLine(painter, rect);
    }

    // 8. Separators.
    const bool noSeparator = section == last || (skipSeparatorBeforeLast && section == last - 1) || rightMost;
    if (!noSeparator && (separatorsEverywhere || section <= 2))
        PaintSeparator(painter, rect);
    painter->restore();
}

bool CListHeader::HitsCheckBox(const QPoint& pos) const
{
    if (checkSection < 0 || logicalIndexAt(pos) != checkSection)
        return false;
    return checkRects.value(checkSection).contains(pos);
}

void CListHeader::ToggleCheckAll()
{
    QAbstractItemModel* m = model();
    if (!m)
        return;
    const QModelIndex root = rootIndex();
    if (!root.isValid() && !m->data(QModelIndex(), Qt::UserRole + 1).toBool())
        return;
    const int state = m->data(root, Qt::CheckStateRole).toInt();
    m->setData(root, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    viewport()->update();
}

void CListHeader::mouseReleaseEvent(QMouseEvent* e)
{
    if (HitsCheckBox(e->pos())) {
        // The box is not a title: no sort click.
        ToggleCheckAll();
        e->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(e);
}
