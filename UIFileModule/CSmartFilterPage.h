#pragma once
#include "CKWPopWnd.h"

#include <QStringList>

class QListWidget;

// Asks before a smart backup leaves the listed network items out.
class CSmartFilterPage : public CKWPopWnd
{
    Q_OBJECT
public:
    CSmartFilterPage(QWidget* parent, const QStringList& paths);
    // 1 when the user pressed Continue, 0 otherwise.
    int Exec();

    static QString MessageText();

protected:
    void FillRecord(CMsgBox::Record& record) const override;

private:
    QStringList paths;
    QListWidget* list = nullptr;
};
