#pragma once
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QVector>

#include <cstdint>

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
    qint64 mtimeMs = 0;      // modification time, milliseconds since the epoch (UTC)
    uint32_t permissions = 0; // QFile::Permissions bits, the "User" bits for the current user
    int32_t kind = kFile;
    bool hidden = false;      // name starts with a dot
    bool symlink = false;     // the entry is a symbolic link (kind tells what it points at)
    bool loop = false;        // a folder link back to the folder listed or one of its ancestors
    uint32_t key = 0;         // source-specific (image: the index entry)

    QDateTime Modified() const { return QDateTime::fromMSecsSinceEpoch(mtimeMs, Qt::UTC); }
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
