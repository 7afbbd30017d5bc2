#include "CSearchRecoveryLineEdit.h"

#include <QAction>
#include <QPainter>

namespace {

enum Glyph { Magnifier, Cross, Busy };

QIcon glyph(Glyph which)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x7d, 0x7f, 0x91), 1.6, Qt::SolidLine, Qt::RoundCap));
    switch (which) {
    case Magnifier:
        p.drawEllipse(QRectF(2.5, 2.5, 8, 8));
        p.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
        break;
    case Cross:
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        break;
    case Busy:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x6f, 0xde));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(3.5 + 4.5 * i, 8), 1.5, 1.5);
        break;
    }
    return QIcon(pm);
}

} // namespace

CSearchRecoveryLineEdit::CSearchRecoveryLineEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_searchAction(new QAction(glyph(Magnifier), tr("Search"), this))
    , m_clearAction(new QAction(glyph(Cross), tr("Clear"), this))
{
    setStyleSheet(QStringLiteral("CSearchRecoveryLineEdit{border:1px solid #7d7f91; border-radius:4px;"
                                 " padding:0 4px; background:#ffffff;}"));
    // Trailing actions line up from the right edge inwards: the magnifier ends the box.
    addAction(m_searchAction, QLineEdit::TrailingPosition);
    addAction(m_clearAction, QLineEdit::TrailingPosition);
    m_clearAction->setVisible(false);
    connect(m_searchAction, &QAction::triggered, this, &CSearchRecoveryLineEdit::OnSearch);
    connect(m_clearAction, &QAction::triggered, this, &CSearchRecoveryLineEdit::OnClear);
    connect(this, &QLineEdit::returnPressed, this, &CSearchRecoveryLineEdit::OnSearch);
    connect(this, &QLineEdit::textChanged, this, &CSearchRecoveryLineEdit::onTextChanged);
}

bool CSearchRecoveryLineEdit::IsSearching() const { return m_searching; }

void CSearchRecoveryLineEdit::OnSearch()
{
    const QString current = text();
    if (!current.isEmpty())
        emit DoSearch(true, current);
}

void CSearchRecoveryLineEdit::OnClear()
{
    clear();
    emit DoSearch(false, QString());
}

void CSearchRecoveryLineEdit::SearchBegin()
{
    m_searching = true;
    m_searchAction->setIcon(glyph(Busy));
    m_searchAction->setToolTip(tr("Searching..."));
    setProperty("searching", true);
}

void CSearchRecoveryLineEdit::SearchFinished()
{
    m_searching = false;
    m_searchAction->setIcon(glyph(Magnifier));
    m_searchAction->setToolTip(tr("Search"));
    setProperty("searching", false);
}

void CSearchRecoveryLineEdit::onTextChanged(const QString& text)
{
    m_clearAction->setVisible(!text.isEmpty());
}
