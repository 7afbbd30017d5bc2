#pragma once
#include "CKWPopWnd.h"

class QLabel;

// The window behind CMsgBox: the kind's icon beside the text, then optional detail text, code
// text and a clickable link, above the button row.
class CKWMsgBoxWnd : public CKWPopWnd
{
    Q_OBJECT
public:
    CKWMsgBoxWnd(int kind, const QString& text, const QString& caption, int buttons, QWidget* parent = nullptr);

    void SetDetail(const QString& detail);
    // `linkText` is what the link shows; empty shows the address itself.
    void SetCodeAndLink(const QString& codeText, const QString& link, const QString& linkText);

    // The buttons a box shows for a requested set: the known ones (4, 16, 32, 256), else OK alone.
    static int ShownButtons(int buttons);
    // What closing a box with these buttons answers: its declining button, else its only one.
    static int CloseIdFor(int buttons);
    // The answer a box with these buttons gives for `id`: id itself when it is one of its buttons,
    // else what closing the box answers.
    static int AnswerFor(int buttons, int id);

    // Title shown when the caller gives none.
    static QString DefaultCaption(int kind);

protected:
    int CloseBtnId() const override;
    void FillRecord(CMsgBox::Record& record) const override;

private:
    int m_kind;
    QString m_text;
    QString m_caption;
    QString m_detail;
    QString m_codeText;
    QString m_link;
    QLabel* m_detailLabel;
    QLabel* m_codeLabel;
    QLabel* m_linkLabel;
};
