#include "CKWMsgBoxWnd.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 32;

QStyle::StandardPixmap kindIcon(int kind, int buttons)
{
    switch (kind) {
    case 2: return QStyle::SP_MessageBoxWarning;
    case 3: return QStyle::SP_MessageBoxCritical;
    case 1: return QStyle::SP_MessageBoxInformation;
    default:
        // Kind 0 asks when there is something to decline, otherwise it informs.
        return (buttons & (CKWPopWnd::BtnCancel | CKWPopWnd::BtnNo)) ? QStyle::SP_MessageBoxQuestion
                                                                     : QStyle::SP_MessageBoxInformation;
    }
}
} // namespace

CKWMsgBoxWnd::CKWMsgBoxWnd(int kind, const QString& text, const QString& caption, int buttons, QWidget* parent)
    : CKWPopWnd(parent)
    , m_kind(kind)
    , m_text(text)
    , m_caption(caption)
    , m_detailLabel(new QLabel(this))
    , m_codeLabel(new QLabel(this))
    , m_linkLabel(new QLabel(this))
{
    setObjectName(QStringLiteral("CMsgBox"));
    SetWindowTitle(caption.isEmpty() ? DefaultCaption(kind) : caption);
    ShowTitleBtn(TitleBtnClose, true);

    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(kindIcon(kind, buttons), nullptr, this).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(6);
    auto* main = new QLabel(text, this);
    main->setObjectName(QStringLiteral("KWMsgText"));
    main->setWordWrap(true);
    main->setTextFormat(Qt::PlainText);
    main->setTextInteractionFlags(Qt::TextSelectableByMouse);
    main->setMinimumWidth(280);
    texts->addWidget(main);
    m_detailLabel->setWordWrap(true);
    m_detailLabel->setTextFormat(Qt::PlainText);
    m_detailLabel->setStyleSheet(QStringLiteral("color:#7d7f91;"));
    m_codeLabel->setTextFormat(Qt::PlainText);
    m_codeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_codeLabel->setStyleSheet(QStringLiteral("color:#7d7f91;"));
    m_linkLabel->setTextFormat(Qt::RichText);
    m_linkLabel->setOpenExternalLinks(true);
    m_linkLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    for (QLabel* l : {m_detailLabel, m_codeLabel, m_linkLabel}) {
        l->hide();
        texts->addWidget(l);
    }
    row->addLayout(texts, 1);
    AppendContent(row);

    Init();
    AppendBtn(ShownButtons(buttons));
}

void CKWMsgBoxWnd::SetDetail(const QString& detail)
{
    m_detail = detail;
    m_detailLabel->setText(detail);
    m_detailLabel->setVisible(!detail.isEmpty());
}

void CKWMsgBoxWnd::SetCodeAndLink(const QString& codeText, const QString& link, const QString& linkText)
{
    m_codeText = codeText;
    m_link = link;
    m_codeLabel->setText(codeText);
    m_codeLabel->setVisible(!codeText.isEmpty());
    const QString shown = linkText.isEmpty() ? link : linkText;
    m_linkLabel->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(link.toHtmlEscaped(), shown.toHtmlEscaped()));
    m_linkLabel->setVisible(!link.isEmpty());
}

QString CKWMsgBoxWnd::DefaultCaption(int kind)
{
    switch (kind) {
    case 2: return tr("Warning");
    case 3: return tr("Error");
    case 1: return tr("Information");
    default: return tr("Question");
    }
}

int CKWMsgBoxWnd::CloseBtnId() const { return CloseIdFor(Buttons()); }

int CKWMsgBoxWnd::ShownButtons(int buttons)
{
    const int known = buttons & (BtnOk | BtnYes | BtnNo | BtnCancel);
    return known ? known : int(BtnOk);
}

int CKWMsgBoxWnd::CloseIdFor(int requested)
{
    const int buttons = ShownButtons(requested);
    if (buttons & BtnCancel)
        return BtnCancel;
    if (buttons & BtnNo)
        return BtnNo;
    if (buttons & BtnOk)
        return BtnOk;
    return BtnYes;
}

int CKWMsgBoxWnd::AnswerFor(int buttons, int id)
{
    const bool known = id == BtnOk || id == BtnYes || id == BtnNo || id == BtnCancel;
    return known && (ShownButtons(buttons) & id) ? id : CloseIdFor(buttons);
}

void CKWMsgBoxWnd::FillRecord(CMsgBox::Record& record) const
{
    CKWPopWnd::FillRecord(record);
    record.dialog = QStringLiteral("CMsgBox");
    record.kind = m_kind;
    record.text = m_text;
    record.caption = m_caption;
    record.codeText = m_codeText;
    record.link = m_link;
    if (!m_detail.isEmpty())
        record.extra = QStringList{m_detail};
}
