#include "CShareLoginDialog.h"

#include "CKWLineEdit.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

CShareLoginDialog::InputFn& testInput()
{
    static CShareLoginDialog::InputFn fn;
    return fn;
}

} // namespace

CShareLoginDialog::CShareLoginDialog(const QString& share, const QString& note, QWidget* parent)
    : CKWPopWnd(parent), m_share(share), m_note(note)
{
    SetWindowTitle(tr("Connect to share"));

    auto* box = new QVBoxLayout;
    auto* question = new QLabel(tr("Enter the user name and password for %1").arg(share));
    question->setWordWrap(true);
    box->addWidget(question);
    if (!note.isEmpty()) {
        auto* noteLabel = new QLabel(note);
        noteLabel->setWordWrap(true);
        box->addWidget(noteLabel);
    }
    auto* form = new QFormLayout;
    m_user = new CKWLineEdit;
    m_password = new CKWLineEdit;
    m_password->setEchoMode(QLineEdit::Password);
    form->addRow(tr("User name:"), m_user);
    form->addRow(tr("Password:"), m_password);
    box->addLayout(form);
    AppendContent(box);
    connect(m_user, &QLineEdit::textChanged, this, &CShareLoginDialog::UpdateOk);

    Init();
    AppendBtn(BtnOk | BtnCancel);
    UpdateOk();
    m_user->setFocus();
}

QString CShareLoginDialog::UserName() const
{
    return m_user->text().trimmed();
}

QString CShareLoginDialog::Password() const
{
    return m_password->text();
}

void CShareLoginDialog::SetTestInput(InputFn input)
{
    testInput() = std::move(input);
}

void CShareLoginDialog::FillRecord(CMsgBox::Record& record) const
{
    // Run() asks for the record once, just before the answers: the moment a user would type.
    if (testInput()) {
        QString user = m_user->text();
        QString password = m_password->text();
        testInput()(m_share, &user, &password);
        m_user->setText(user);
        m_password->setText(password);
    }
    CKWPopWnd::FillRecord(record);
    record.text = m_share;
    if (!m_note.isEmpty())
        record.extra << m_note;
}

void CShareLoginDialog::UpdateOk()
{
    EnableButton(BtnOk, !m_user->text().trimmed().isEmpty());
}
