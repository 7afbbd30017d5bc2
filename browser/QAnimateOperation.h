#pragma once
#include "NodeKind.h"
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QVariantAnimation>

class CFileSystemModel;
class TreeView;

// Drives the loading spinner of one folder row: the animation runs continuously, and at most
// once per interval it advances the frame and repaints that row (and nothing else).
class QAnimateOperation : public QVariantAnimation
{
    Q_OBJECT
public:
    QAnimateOperation(TreeView* view, QSortFilterProxyModel* proxy, CFileSystemModel* fsModel, NodeIndex node);

    int Frame() const { return frame; }
    NodeIndex Node() const { return node; }
    int Interval() const { return interval; }

    // Milliseconds of a monotonic clock; tests may replace the source (null restores it).
    typedef qint64 (*Clock)();
    static void SetClockForTest(Clock clock);
    static qint64 Now();

public slots:
    void OnStop();

protected:
    void updateCurrentValue(const QVariant& value) override;

private:
    QPointer<TreeView> view;
    NodeIndex node;
    int frame = 0;
    qint64 lastTick = 0;
    bool ticked = false;
    int interval = 100;
    int step = 1;
    QPointer<QSortFilterProxyModel> proxy;
    QPointer<CFileSystemModel> fsModel;
};
