#include "CKWUISyncWaiter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kSpinnerSize = 28;
constexpr int kTickMs = 60;
constexpr int kTickDegrees = 30;
} // namespace

CKWUISyncWaiter::CKWUISyncWaiter(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_text(new QLabel(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("CKWUISyncWaiter"));
    setWindowModality(Qt::ApplicationModal);
    setMinimumSize(220, 64);

    auto* layout = new QHBoxLayout(this);
    // Room on the left for the spinner, which paintEvent draws.
    layout->setContentsMargins(20 + kSpinnerSize + 14, 16, 24, 16);
    m_text->setWordWrap(true);
    m_text->setStyleSheet(QStringLiteral("color:#3c3f4e;"));
    layout->addWidget(m_text);

    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + kTickDegrees) % 360;
        update();
    });
}

CKWUISyncWaiter::~CKWUISyncWaiter() = default;

void CKWUISyncWaiter::setWaitingText(const QString& text)
{
    m_text->setText(text);
    m_text->setVisible(!text.isEmpty());
    adjustSize();
}

QString CKWUISyncWaiter::waitingText() const { return m_text->text(); }

void CKWUISyncWaiter::Start()
{
    m_mayClose = false;
    adjustSize();
    centre();
    show();
    raise();
}

void CKWUISyncWaiter::Finish()
{
    m_mayClose = true;
    close();
}

void CKWUISyncWaiter::centre()
{
    QWidget* anchor = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    QRect area;
    if (anchor && anchor != this && anchor->isVisible())
        area = anchor->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - rect().center());
}

void CKWUISyncWaiter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(0xb4, 0xb7, 0xc3));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const QRectF ring(20, (height() - kSpinnerSize) / 2.0, kSpinnerSize, kSpinnerSize);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xe7, 0xe9, 0xf2), 3));
    p.drawEllipse(ring);
    p.setPen(QPen(QColor(0x2f, 0x6f, 0xde), 3, Qt::SolidLine, Qt::RoundCap));
    // Qt angles are in 1/16 degree, counter-clockwise; turn clockwise.
    p.drawArc(ring, -m_angle * 16, 100 * 16);
}

void CKWUISyncWaiter::closeEvent(QCloseEvent* event)
{
    if (m_mayClose)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void CKWUISyncWaiter::keyPressEvent(QKeyEvent* event)
{
    // Escape would reject the dialog; the wait cannot be cancelled from here.
    if (event->key() == Qt::Key_Escape)
        return event->accept();
    QDialog::keyPressEvent(event);
}

void CKWUISyncWaiter::showEvent(QShowEvent* event)
{
    m_timer->start();
    QDialog::showEvent(event);
}

void CKWUISyncWaiter::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QDialog::hideEvent(event);
}
