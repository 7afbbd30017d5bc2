#include "CTransferJob.h"

#include <QThread>

namespace {
constexpr qint64 kEmitEveryMs = 50;
} // namespace

CTransferJob::CTransferJob(Work work, QObject* parent) : QObject(parent), m_work(std::move(work))
{
    qRegisterMetaType<CTransferProgress>();
    qRegisterMetaType<uint32_t>("uint32_t");
}

CTransferJob::~CTransferJob()
{
    Cancel();
    if (m_thread)
        m_thread->wait();
}

void CTransferJob::Start()
{
    if (m_thread)
        return;
    m_clock.start();
    m_thread.reset(QThread::create([this] {
        const uint32_t result = m_work(*this);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_progress.finished = true;
        }
        Flush(true);
        emit DoFinished(result);
    }));
    m_thread->start();
}

bool CTransferJob::IsRunning() const
{
    return m_thread && m_thread->isRunning();
}

void CTransferJob::OnCancel()
{
    Cancel();
}

void CTransferJob::Totals(int files, qint64 bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_progress.filesTotal = files;
        m_progress.bytesTotal = bytes;
    }
    Flush(true);
}

void CTransferJob::Bytes(qint64 count)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_progress.bytesDone += count;
    }
    Flush(false);
}

void CTransferJob::FileDone(const QString& name)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_progress.filesDone;
        m_files << QStringLiteral("[%1/%2] %3").arg(m_progress.filesDone).arg(m_progress.filesTotal).arg(name);
    }
    Flush(false);
}

void CTransferJob::Problem(const QString& text)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_progress.problems;
        m_problems << text;
    }
    Flush(false);
}

void CTransferJob::Flush(bool force)
{
    CTransferProgress snapshot;
    QStringList files;
    QStringList problems;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const qint64 now = m_clock.elapsed();
        if (!force && m_lastEmitMs >= 0 && now - m_lastEmitMs < kEmitEveryMs)
            return;
        m_lastEmitMs = now;
        m_progress.elapsedMs = now;
        snapshot = m_progress;
        files.swap(m_files);
        problems.swap(m_problems);
    }
    emit DoProgress(snapshot, files, problems);
}
