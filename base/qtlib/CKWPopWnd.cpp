#include "CKWPopWnd.h"

#include "CKWPushBtn.h"
#include "CTrace.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// Order of the buttons in the row, left to right (the confirming one first).
const int kBtnOrder[] = {CKWPopWnd::BtnOk, CKWPopWnd::BtnYes, CKWPopWnd::BtnNo, CKWPopWnd::BtnCancel};

// An auto-answer that keeps picking vetoed buttons would never let the dialog end; after this many
// answers the dialog ends as if its window had been closed, unconditionally.
constexpr int kMaxAutoAnswers = 32;

} // namespace

CKWPopWnd::CKWPopWnd(QWidget* parent) : CKWWinFrm(parent) {}

CKWPopWnd::~CKWPopWnd() = default;

void CKWPopWnd::Init()
{
    if (m_btnRow)
        return;
    m_btnRow = new QHBoxLayout;
    m_btnRow->setContentsMargins(16, 8, 16, 16);
    m_btnRow->setSpacing(10);
    m_btnRow->addStretch(1);
    FrameLayout()->addLayout(m_btnRow);
}

void CKWPopWnd::AppendBtn(int buttons)
{
    Init();
    for (int id : kBtnOrder) {
        if (!(buttons & id) || m_btns.contains(id))
            continue;
        QString text;
        switch (id) {
        case BtnOk: text = tr("OK"); break;
        case BtnYes: text = tr("Yes"); break;
        case BtnNo: text = tr("No"); break;
        default: text = tr("Cancel"); break;
        }
        auto* btn = new CKWPushBtn(text, this);
        btn->setObjectName(QStringLiteral("KWBtn%1").arg(id));
        btn->setMinimumHeight(30);
        const bool confirming = (id == BtnOk || id == BtnYes);
        btn->SetPrimary(confirming);
        btn->setAutoDefault(false);
        if (confirming && !defaultButtonSet()) {
            btn->setDefault(true);
        }
        connect(btn, &QPushButton::clicked, this, [this, id] { PressBtn(id); });
        // Insert in the fixed order, after the leading stretch.
        int at = 1;
        for (int other : kBtnOrder) {
            if (other == id)
                break;
            if (m_btns.contains(other))
                ++at;
        }
        m_btnRow->insertWidget(at, btn);
        m_btns.insert(id, btn);
    }
}

bool CKWPopWnd::defaultButtonSet() const
{
    for (CKWPushBtn* btn : m_btns)
        if (btn->isDefault())
            return true;
    return false;
}

CKWPushBtn* CKWPopWnd::GetBtn(int id) const { return m_btns.value(id, nullptr); }

void CKWPopWnd::EnableButton(int id, bool enable)
{
    if (CKWPushBtn* btn = GetBtn(id))
        btn->setEnabled(enable);
}

void CKWPopWnd::ResetBtnText(int id, const QString& text)
{
    if (CKWPushBtn* btn = GetBtn(id))
        btn->setText(text);
}

int CKWPopWnd::Buttons() const
{
    int all = 0;
    for (auto it = m_btns.cbegin(); it != m_btns.cend(); ++it)
        all |= it.key();
    return all;
}

int CKWPopWnd::Run()
{
    if (m_running) {
        NR_TRACE(u"File = %s, Line = %u, Run() while running", __FILE__, __LINE__);
        return m_result;
    }
    m_result = 0;
    m_unrun = false;
    m_running = true;

    if (CMsgBox::HasAutoAnswer()) {
        CMsgBox::Record record;
        FillRecord(record);
        int answers = 0;
        // Each answer is a click: a veto keeps the dialog open and the answer function is asked
        // again (it sees the same record; it may also have answered a box the veto showed).
        while (m_running && !m_unrun) {
            if (++answers > kMaxAutoAnswers) {
                NR_TRACE(u"File = %s, Line = %u, auto-answers exhausted, closing", __FILE__, __LINE__);
                m_result = CloseBtnId();
                break;
            }
            int id = CMsgBox::AutoAnswer(record);
            // Anything but a present, enabled button stands for closing the window.
            CKWPushBtn* btn = GetBtn(id);
            if (!btn || !btn->isEnabled())
                id = CloseBtnId();
            if (proceedBtnClicked(id)) {
                m_result = id;
                break;
            }
        }
        if (m_unrun && m_result == 0)
            m_result = CloseBtnId();
        m_running = false;
        return m_result;
    }

    exec();
    m_running = false;
    if (m_result == 0)
        m_result = CloseBtnId();
    return m_result;
}

void CKWPopWnd::UnRun()
{
    if (!m_running)
        return;
    m_unrun = true;
    if (m_result == 0)
        m_result = CloseBtnId();
    if (isVisible())
        QDialog::done(m_result);
}

int CKWPopWnd::GetResult() const { return m_result; }

void CKWPopWnd::reject() { PressBtn(CloseBtnId()); }

int CKWPopWnd::CloseBtnId() const { return BtnCancel; }

void CKWPopWnd::accept()
{
    // Programmatic accept (or Enter without a default button) confirms.
    PressBtn(m_btns.contains(BtnYes) && !m_btns.contains(BtnOk) ? BtnYes : BtnOk);
}

bool CKWPopWnd::proceedBtnClicked(int) { return true; }

void CKWPopWnd::FillRecord(CMsgBox::Record& record) const
{
    record.dialog = QString::fromLatin1(metaObject()->className());
    record.caption = windowTitle();
    record.buttons = Buttons();
}

void CKWPopWnd::PressBtn(int id)
{
    if (!proceedBtnClicked(id))
        return;
    m_result = id;
    QDialog::done(id);
}
