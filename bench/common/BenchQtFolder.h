#pragma once
// The Qt baseline of the folder benchmarks: QFileSystemModel + QSortFilterProxyModel + QTreeView
// showing a folder of the disk, timed until the folder is loaded and the view has settled.
#include "BenchTiming.h"

#include <QDir>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QThread>
#include <QTreeView>

// Keeps the event loop running for windowMs after the clock's current time and answers when the
// last piece of real work (an event-loop pass longer than 2 ms: batches, sorting, layout,
// painting) ended, in ms of the clock; at least the time it was called.
inline double SettledAtMs(const QElapsedTimer& clock, int windowMs)
{
    const qint64 start = clock.nsecsElapsed();
    qint64 lastBusyEnd = start;
    while (clock.nsecsElapsed() - start < qint64(windowMs) * 1000000) {
        const qint64 before = clock.nsecsElapsed();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 after = clock.nsecsElapsed();
        if (after - before > 2000000)
            lastBusyEnd = after;
        QThread::usleep(500);
    }
    return double(lastBusyEnd) / 1e6;
}

// Shows dir (holding `files` entries) in Qt's own model and view; answers the time until it has
// settled, and the longest GUI stall on the way. `sleeping`: wait with WaitUntil, not SpinUntil.
inline double QtFolderPassMs(const QString& dir, int files, double* stallMs, bool sleeping = false)
{
    StallMeter meter;
    QElapsedTimer t;
    QFileSystemModel model;
    QSortFilterProxyModel proxy;
    QTreeView view;
    proxy.setSourceModel(&model);
    view.setModel(&proxy);
    view.setSortingEnabled(true);
    view.resize(900, 600);
    view.show();
    bool loaded = false;
    QObject::connect(&model, &QFileSystemModel::directoryLoaded, [&](const QString& path) {
        if (QDir(path) == QDir(dir))
            loaded = true;
    });
    meter.Start();
    t.start();
    const QModelIndex root = model.setRootPath(dir);
    view.setRootIndex(proxy.mapFromSource(root));
    const auto shown = [&] { return loaded && model.rowCount(model.index(dir)) >= files; };
    if (sleeping)
        WaitUntil(shown);
    else
        SpinUntil(shown);
    const double ms = SettledAtMs(t, 1000);
    *stallMs = meter.StopMs();
    return ms;
}
