#pragma once
#include "CKWWinFrm.h"
#include "CMsgBox.h"

#include <QMap>

class QHBoxLayout;
class CKWPushBtn;

// Dialog with a row of buttons under its content. Construct, call Init(), add buttons with
// AppendBtn(), then Run(). A pressed button first goes to proceedBtnClicked(); only when that
// answers true does the dialog close, and GetResult() gives the button's id. Closing the window
// (title bar, Escape) counts as the Cancel button (256), whether or not the row shows one
// (subclasses may choose another id through CloseBtnId()).
class CKWPopWnd : public CKWWinFrm
{
    Q_OBJECT
public:
    // Button ids; AppendBtn takes them combined (260 = OK and Cancel).
    enum Btn { BtnOk = 4, BtnYes = 16, BtnNo = 32, BtnCancel = 256 };

    explicit CKWPopWnd(QWidget* parent = nullptr);
    ~CKWPopWnd() override;

    // Builds the button row; call once after construction (later calls do nothing).
    virtual void Init();
    void AppendBtn(int buttons);
    CKWPushBtn* GetBtn(int id) const;
    void EnableButton(int id, bool enable);
    void ResetBtnText(int id, const QString& text);
    // The ids of the buttons in the row, combined.
    int Buttons() const;

    // Shows the dialog modally and returns the id of the button that closed it. While a
    // CMsgBox auto-answer is set nothing is shown: the answer function picks the button.
    int Run();
    // Closes a running dialog; GetResult() then gives Cancel unless a button had already closed it.
    void UnRun();
    int GetResult() const;

public slots:
    void reject() override;
    void accept() override;

protected:
    // Given a pressed button's id: true lets the dialog close, false keeps it open.
    virtual bool proceedBtnClicked(int id);
    // What a test's answer function sees of this dialog: the base fills the class name, the title
    // (as caption) and the buttons; subclasses add their text and list contents (`extra`).
    virtual void FillRecord(CMsgBox::Record& record) const;

    // The id that closing the window stands for; Cancel (256) here.
    virtual int CloseBtnId() const;
    // Acts as a click on button `id` (also for ids without a button: 256 is closing the window).
    void PressBtn(int id);

private:
    bool defaultButtonSet() const;

    QHBoxLayout* m_btnRow = nullptr;
    QMap<int, CKWPushBtn*> m_btns;
    int m_result = 0;
    bool m_running = false;
    bool m_unrun = false;
};
