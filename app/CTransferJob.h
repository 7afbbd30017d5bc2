#pragma once
#include "CTransferProgress.h"
#include "CTransferSink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

class QThread;

// Runs a backup or a restore on a thread of its own and hands its progress to the GUI thread by
// queued signals: a snapshot plus what happened since the last one (a line per finished file, the
// problems), at most every 50 ms and once more at the end, so a run of a million small files
// costs the GUI a few events per second, not one per file.
class CTransferJob : public QObject, public CTransferSink
{
    Q_OBJECT
public:
    typedef std::function<uint32_t(CTransferSink&)> Work;

    explicit CTransferJob(Work work, QObject* parent = nullptr);
    // Asks the work to stop and waits for its thread.
    ~CTransferJob() override;

    void Start();
    bool IsRunning() const;

    // CTransferSink, called by the work on its thread.
    void Totals(int files, qint64 bytes) override;
    void Bytes(qint64 count) override;
    void FileDone(const QString& name) override;
    void Problem(const QString& text) override;

signals:
    // `files`: "[3/10] name" for each file finished since the last signal; `problems`: the new ones.
    void DoProgress(const CTransferProgress& progress, const QStringList& files, const QStringList& problems);
    // After the last DoProgress; `result` is what the work answered.
    void DoFinished(uint32_t result);

public slots:
    void OnCancel();

private:
    // Emits when enough time has passed since the last emission, or when forced.
    void Flush(bool force);

    Work m_work;
    std::unique_ptr<QThread> m_thread;
    std::mutex m_mutex; // guards the four below
    CTransferProgress m_progress;
    QStringList m_files;
    QStringList m_problems;
    qint64 m_lastEmitMs = -1;
    QElapsedTimer m_clock;
};
