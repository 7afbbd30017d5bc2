#pragma once
#include <QPlainTextEdit>

// Plain multi-line edit with an optional limit on its length in UTF-16 units. Typing or pasting
// beyond the limit keeps the start of the inserted text and drops the rest, without ever cutting
// a character in half (a surrogate pair stays whole or goes whole).
class CKWTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CKWTextEdit(QWidget* parent = nullptr);

    void setMaxLength(int length); // < 0: no limit
    int maxLength() const;

private:
    void onContentsChange(int position, int removed, int added);

    int m_maxLength = -1;
    bool m_trimming = false;
};
