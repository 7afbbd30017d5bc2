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
