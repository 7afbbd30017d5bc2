#pragma once
#include <QMetaType>
#include <QString>
#include <QtGlobal>

// A snapshot of a running backup or restore, and the texts the progress dialog and the scripted
// run's progress lines show of it: files, bytes, rate and time left.
struct CTransferProgress
{
    int filesDone = 0;
    int filesTotal = 0;
    int problems = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    qint64 elapsedMs = 0;
    bool finished = false;

    // Bytes per second so far; 0 until something measurable has moved.
    double Rate() const;
    // Seconds until the rest has moved at that rate; -1 when it cannot be told yet.
    qint64 SecondsLeft() const;

    QString FilesText() const;
    QString BytesText() const;
    QString RateText() const;
    QString TimeLeftText() const;
    // All of it in one line, as scripted runs print it.
    QString Line() const;

    // "0 B", "512 B", "1.5 KiB", "12.3 MiB", "1.0 GiB".
    static QString SizeText(qint64 bytes);
};

Q_DECLARE_METATYPE(CTransferProgress)
