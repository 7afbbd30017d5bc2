#pragma once
#include <QObject>
#include <QSharedPointer>
#include <QtGlobal>

class CUISearchFileData;

// The job that ends a running search: run on the sync executer's worker while the user sees the
// waiting indicator, it asks the search to stop and returns once it has.
class CWaitSearchFinish : public QObject
{
    Q_OBJECT
public:
    explicit CWaitSearchFinish(QSharedPointer<CUISearchFileData> data);
    ~CWaitSearchFinish() override;

    qint64 WaitFinish();

private:
    QSharedPointer<CUISearchFileData> searchData;
};
