#pragma once
#include "NodeKind.h"
#include <QDateTime>
#include <QIcon>
#include <QSharedPointer>
#include <QString>

// File information of one entry, shared by pointer between a node and its copies until a node
// stores its own copy (CLvFileSystemNode::SetInfo).
class CNodeInfo
{
public:
    QString typeText;
    QIcon icon;
    QDateTime modified;
    QString modifiedText;
    // QFile::Permissions bits; all set by default. 0x400 readable, 0x200 writable, 0x100
    // executable by the user.
    quint32 permissions = 0xFFFFFFFFu;
    qint64 size = -2;
    // For a drive its free space.
    qint64 secondSize = 0;
    bool hidden = false;
    // InfoKind; the default kUnset reads as kSystem.
    qint32 kind = InfoKind::kUnset;
    NodeIndex owner = 0;

    qint32 Kind() const { return kind == InfoKind::kUnset ? InfoKind::kSystem : kind; }

    // The modified text, or when it is empty the valid modified time in the system locale's
    // short form. Made when asked: only the rows on screen need it, and a stored text per row
    // would cost a folder of a million files more than its nodes' names.
    QString ModifiedText() const;

    // Two records stand for the same entry when they have the same owner, that owner is still a
    // registered node and the modified times are equal.
    bool IsSameEntry(const CNodeInfo& other) const;
};

typedef QSharedPointer<CNodeInfo> CNodeInfoPtr;

// The plain fields of a node's record that filters and sorting read for every child, copied out
// under the node's lock without taking a reference on the record (CLvFileSystemNode::InfoFacts).
struct CNodeInfoFacts
{
    bool present = false;
    bool hidden = false;
    qint32 kind = InfoKind::kSystem; // as CNodeInfo::Kind() answers
    quint32 permissions = 0;
    qint64 size = 0;
    qint64 secondSize = 0;
};
