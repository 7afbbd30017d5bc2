#pragma once
#include <QString>
#include <QtGlobal>

#include <atomic>

// What a backup or a restore tells about its progress while it runs, and how it learns that it
// should stop. Called on the thread doing the work; this base ignores everything, so a caller
// that wants no progress (a benchmark, a test) passes it as it is.
class CTransferSink
{
public:
    virtual ~CTransferSink() = default;

    // How much the run will move, once known.
    virtual void Totals(int files, qint64 bytes) { Q_UNUSED(files); Q_UNUSED(bytes); }
    // More data was moved.
    virtual void Bytes(qint64 count) { Q_UNUSED(count); }
    // One file (or link) is complete; `name` is how the image names it.
    virtual void FileDone(const QString& name) { Q_UNUSED(name); }
    // Something was not moved: the text says what and why. The run goes on.
    virtual void Problem(const QString& text) { Q_UNUSED(text); }

    // Asks the run to stop at its next step; safe from any thread.
    void Cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return m_cancel.load(std::memory_order_relaxed); }
    const std::atomic_bool& CancelFlag() const { return m_cancel; }

private:
    std::atomic_bool m_cancel{false};
};
