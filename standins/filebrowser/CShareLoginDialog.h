#pragma once
#include "CKWPopWnd.h"

#include <functional>

class QLabel;
class QLineEdit;

// Asks for the user name and password of a network share: two fields, OK and Cancel. OK stays
// disabled while the user name is empty. Answerable through CMsgBox::SetAutoAnswer; the record
// carries the share as its text, a note (a wrong password before) as `extra`, and tests type
// into the fields through SetTestInput.
class CShareLoginDialog : public CKWPopWnd
{
    Q_OBJECT
public:
    // note: shown under the question (empty for none), e.g. why the dialog asks again.
    // Ready to Run() when constructed.
    CShareLoginDialog(const QString& share, const QString& note, QWidget* parent = nullptr);

    QString UserName() const;
    QString Password() const;
    QString Share() const { return m_share; }

    // Test hook: while set, the function types into the fields each time an auto-answered dialog
    // runs (before the answer function is asked). Set and cleared on the GUI thread.
    typedef std::function<void(const QString& share, QString* user, QString* password)> InputFn;
    static void SetTestInput(InputFn input);

protected:
    void FillRecord(CMsgBox::Record& record) const override;

private slots:
    void UpdateOk();

private:
    QString m_share;
    QString m_note;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
};
