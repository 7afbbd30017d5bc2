#include "CKWTextEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

CKWTextEdit::CKWTextEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    setStyleSheet(QStringLiteral("CKWTextEdit{border:1px solid #c9ccd8; border-radius:4px; background:#ffffff;}"
                                 "CKWTextEdit:focus{border-color:#2f6fde;}"));
    connect(document(), &QTextDocument::contentsChange, this, &CKWTextEdit::onContentsChange);
}

void CKWTextEdit::setMaxLength(int length)
{
    m_maxLength = length;
    if (length < 0)
        return;
    // Apply the new limit to what is there already: keep the beginning.
    const QString text = toPlainText();
    if (text.size() > length) {
        int keep = length;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep;
        QTextCursor cursor(document());
        cursor.setPosition(keep);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        m_trimming = true;
        cursor.removeSelectedText();
        m_trimming = false;
    }
}

int CKWTextEdit::maxLength() const { return m_maxLength; }

void CKWTextEdit::onContentsChange(int position, int, int added)
{
    if (m_trimming || m_maxLength < 0 || added <= 0)
        return;
    const QString text = toPlainText();
    const int excess = text.size() - m_maxLength;
    if (excess <= 0)
        return;
    // Document positions count one unit per block separator, as toPlainText() does ("\n").
    const int insertedEnd = qMin(position + added, text.size());
    int cutFrom = qMax(position, insertedEnd - excess);
    if (cutFrom > 0 && cutFrom < text.size() && text.at(cutFrom - 1).isHighSurrogate()
        && text.at(cutFrom).isLowSurrogate())
        --cutFrom;
    QTextCursor cursor(document());
    cursor.setPosition(cutFrom);
    cursor.setPosition(insertedEnd, QTextCursor::KeepAnchor);
    m_trimming = true;
    cursor.removeSelectedText();
    m_trimming = false;
}
