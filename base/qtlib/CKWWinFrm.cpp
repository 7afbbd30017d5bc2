#include "CKWWinFrm.h"

#include "CKWToolButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kTitleHeight = 36;

// Title bar glyphs are drawn, so the frame needs no image files.
QIcon titleGlyph(int kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x5c, 0x60, 0x70), 1.4));
    switch (kind) {
    case CKWWinFrm::TitleBtnMin:
        p.drawLine(QPointF(4, 8.5), QPointF(12, 8.5));
        break;
    case CKWWinFrm::TitleBtnMax:
        p.drawRect(QRectF(4.5, 4.5, 7, 7));
        break;
    default:
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        break;
    }
    return QIcon(pm);
}

} // namespace

CKWWinFrm::CKWWinFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_frameLayout(new QVBoxLayout(this))
    , m_titleBar(new QWidget(this))
    , m_titleLayout(new QHBoxLayout(m_titleBar))
    , m_title(new QLabel(m_titleBar))
    , m_contentLayout(new QVBoxLayout)
{
    m_frameLayout->setContentsMargins(1, 1, 1, 1);
    m_frameLayout->setSpacing(0);

    m_titleBar->setObjectName(QStringLiteral("KWTitleBar"));
    m_titleBar->setFixedHeight(kTitleHeight);
    m_titleBar->installEventFilter(this);
    m_titleLayout->setContentsMargins(16, 0, 8, 0);
    m_titleLayout->setSpacing(2);
    m_title->setObjectName(QStringLiteral("KWTitle"));
    m_title->setStyleSheet(QStringLiteral("color:#1f2130; font-weight:bold;"));
    m_titleLayout->addWidget(m_title, 1);
    m_frameLayout->addWidget(m_titleBar);

    m_contentLayout->setContentsMargins(16, 8, 16, 8);
    m_contentLayout->setSpacing(8);
    m_frameLayout->addLayout(m_contentLayout, 1);
}

CKWWinFrm::~CKWWinFrm() = default;

void CKWWinFrm::SetWindowTitle(const QString& title)
{
    m_title->setText(title);
    setWindowTitle(title);
}

QString CKWWinFrm::WindowTitle() const { return windowTitle(); }

void CKWWinFrm::ShowTitleBtn(int buttons, bool show)
{
    const int order[] = {TitleBtnMin, TitleBtnMax, TitleBtnClose};
    for (int kind : order) {
        if (!(buttons & kind))
            continue;
        QPointer<CKWToolButton>& slot = kind == TitleBtnMin ? m_min : kind == TitleBtnMax ? m_max : m_close;
        if (!slot) {
            slot = new CKWToolButton(m_titleBar);
            slot->setIcon(titleGlyph(kind));
            slot->setObjectName(kind == TitleBtnClose ? QStringLiteral("KWTitleClose")
                                : kind == TitleBtnMax ? QStringLiteral("KWTitleMax")
                                                      : QStringLiteral("KWTitleMin"));
            // Keep the buttons in min, max, close order whatever order they were asked for.
            int at = m_titleLayout->count();
            if (kind == TitleBtnMin && (m_max || m_close))
                at = m_titleLayout->indexOf(m_max ? m_max.data() : m_close.data());
            else if (kind == TitleBtnMax && m_close)
                at = m_titleLayout->indexOf(m_close.data());
            m_titleLayout->insertWidget(at, slot);
            if (kind == TitleBtnClose)
                connect(slot, &QToolButton::clicked, this, &QDialog::reject);
            else if (kind == TitleBtnMin)
                connect(slot, &QToolButton::clicked, this, &QWidget::showMinimized);
            else
                connect(slot, &QToolButton::clicked, this, [this] { isMaximized() ? showNormal() : showMaximized(); });
        }
        slot->setVisible(show);
    }
}

bool CKWWinFrm::IsTitleBtnShown(int button) const
{
    const QPointer<CKWToolButton>& slot = button == TitleBtnMin ? m_min : button == TitleBtnMax ? m_max : m_close;
    return slot && !slot->isHidden();
}

void CKWWinFrm::AppendContent(QWidget* content)
{
    if (content)
        m_contentLayout->addWidget(content);
}

void CKWWinFrm::AppendContent(QLayout* content)
{
    if (content)
        m_contentLayout->addLayout(content);
}

QVBoxLayout* CKWWinFrm::FrameLayout() const { return m_frameLayout; }

QVBoxLayout* CKWWinFrm::ContentLayout() const { return m_contentLayout; }

void CKWWinFrm::paintEvent(QPaintEvent*)
{
    // Square corners: rounded ones need a translucent window, which shows black corners on
    // displays without a compositor.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xb4, 0xb7, 0xc3));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(QColor(0xe7, 0xe9, 0xf2));
    const qreal y = m_titleBar->geometry().bottom() + 0.5;
    p.drawLine(QPointF(1, y), QPointF(width() - 1, y));
}

bool CKWWinFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_titleBar && !isMaximized()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragging = true;
                m_dragOffset = e->globalPos() - frameGeometry().topLeft();
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging)
                move(static_cast<QMouseEvent*>(event)->globalPos() - m_dragOffset);
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
