#pragma once
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

#include <cstdint>
#include <limits>

// What a data source knows of one entry (a file, folder, drive, share, image member) before the
// model turns it into a node's information record.
struct CEntryRecord
{
    // Kinds as the node's information record counts them.
    static constexpr int32_t kDir = 0;
    static constexpr int32_t kFile = 1;
    static constexpr int32_t kDrive = 2;
    static constexpr int32_t kSystem = 3;

    QString name;
    qint64 size = -1;        // bytes; -1 for folders
    qint64 mtimeMs = 0;      // modification time, milliseconds since the epoch (UTC), or kUnknownTime
    uint32_t permissions = 0; // QFile::Permissions bits, the "User" bits for the current user
    int32_t kind = kFile;
    bool hidden = false;      // name starts with a dot
    bool symlink = false;     // the entry is a symbolic link (kind tells what it points at)
    bool loop = false;        // a folder link back to the folder listed or one of its ancestors
    uint32_t key = 0;         // source-specific (image: the index entry)

    // A time that milliseconds since the epoch cannot hold; it shows as no time at all.
    static constexpr qint64 kUnknownTime = std::numeric_limits<qint64>::min();
    // Milliseconds of a time in seconds and nanoseconds since the epoch, or kUnknownTime when it
    // does not fit (an archive header may claim any 64-bit number of seconds).
    static qint64 MsSinceEpoch(int64_t seconds, long nanoseconds)
    {
        qint64 ms = 0;
        if (__builtin_mul_overflow(seconds, qint64(1000), &ms) ||
            __builtin_add_overflow(ms, qint64(nanoseconds / 1000000), &ms) || ms == kUnknownTime)
            return kUnknownTime;
        return ms;
    }

    QDateTime Modified() const
    {
        return mtimeMs == kUnknownTime ? QDateTime() : QDateTime::fromMSecsSinceEpoch(mtimeMs, Qt::UTC);
    }
    bool IsDir() const { return kind == kDir || kind == kDrive; }
    // What the Type column says: the kind of a folder or drive, a file's extension. Stored in
    // English; views show it in the user's language (QObject::tr).
    QString TypeText() const
    {
        switch (kind) {
        case kDir:
            return QStringLiteral(QT_TRANSLATE_NOOP("QObject", "File folder"));
        case kDrive:
            return QStringLiteral(QT_TRANSLATE_NOOP("QObject", "Local Disk"));
        case kSystem:
            return QStringLiteral(QT_TRANSLATE_NOOP("QObject", "System file"));
        default:
            break;
        }
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0 && dot < name.size() - 1)
            return name.mid(dot + 1).toUpper() + QStringLiteral(" File");
        return QStringLiteral(QT_TRANSLATE_NOOP("QObject", "File"));
    }
};

typedef QVector<CEntryRecord> CEntryBatch;
Q_DECLARE_METATYPE(CEntryRecord)
Q_DECLARE_METATYPE(CEntryBatch)
