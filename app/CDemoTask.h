#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

struct CHostTaskData;

// A backup task as the demo host keeps it between runs: a JSON file with the task's GUID, its
// filter kind, the filter block, credential records and network locations (base64), and the
// source description. Editing a task (pages 9 and 13) serves these back to the page; the
// credential records go back as the task's second block, which is where the page reads the
// logins it carries over for shares its tree does not know.
class CDemoTask
{
public:
    // A missing file is an empty new task; an unreadable or malformed one is an error.
    bool Load(const QString& path, QString* error);
    bool Save(const QString& path, QString* error) const;

    // The stored selection becomes what the host context serves.
    void ServeTo(CHostTaskData& data) const;
    // What the page committed becomes the task's selection.
    void TakeFrom(const CHostTaskData& data);

    QByteArray guid; // 16 bytes, made on first save
    uint32_t filterKind = 0;
    QByteArray filter;
    QByteArray credentials; // records of 1128 bytes
    QByteArray networkLocations; // records of 783 bytes
    QString sourceDescription;
};
