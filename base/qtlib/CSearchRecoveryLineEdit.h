#pragma once
#include <QLineEdit>

class QAction;

// Search box: Enter or the magnifier starts a search of the text (DoSearch(true, text); an empty
// box starts nothing); the clear button, shown while there is text, empties the box and ends
// the search view (DoSearch(false, "")). SearchBegin/SearchFinished show whether a search runs.
class CSearchRecoveryLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CSearchRecoveryLineEdit(QWidget* parent = nullptr);

    bool IsSearching() const;

signals:
    void DoSearch(bool start, QString text);

public slots:
    void OnSearch();
    void OnClear();
    void SearchBegin();
    void SearchFinished();

private:
    void onTextChanged(const QString& text);

    QAction* m_searchAction;
    QAction* m_clearAction;
    bool m_searching = false;
};
