#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

// The 783-byte network location record: one network place a selection needs, handed to the
// host's network-building interface and stored with a task.
//   0     1 byte   kind: 1 a UNC share, 2 a share of a NAS device, 3 a drive letter mapped to a share
//   1     2 bytes  reserved, zero
//   3   520 bytes  location (260 UTF-16 units): the share as "\\server\share"
//   523 260 bytes  label (130 UTF-16 units): the NAS form "NAS:\\device\share", the drive "Z:",
//                  or the share again for a plain UNC share
// Texts are UTF-16LE, zero-terminated inside their field and zero after the terminator.
// A record list is records back to back; its size is a multiple of 783.
// This is the one reader and writer of the format (docs/network-location-record.md).
class CNetLocationRecord
{
public:
    static constexpr size_t kSize = 783;
    static constexpr size_t kKindOffset = 0;
    static constexpr size_t kReservedOffset = 1;
    static constexpr size_t kLocationOffset = 3;
    static constexpr size_t kLocationBytes = 520;
    static constexpr size_t kLabelOffset = 523;
    static constexpr size_t kLabelBytes = 260;

    static constexpr uint8_t kKindShare = 1;
    static constexpr uint8_t kKindNasShare = 2;
    static constexpr uint8_t kKindMappedDrive = 3;

    uint8_t kind = kKindShare;
    QString location;
    QString label;

    CNetLocationRecord() = default;
    CNetLocationRecord(uint8_t k, const QString& loc, const QString& lab) : kind(k), location(loc), label(lab) {}

    // The record's 783 bytes; texts are cut to their fields (room kept for the terminator, never
    // between the halves of a surrogate pair).
    QByteArray Encode() const;
    // Reads one record from the first 783 bytes. False when fewer bytes are given, the kind is
    // unknown, the reserved bytes are not zero or a field has no terminator.
    static bool Decode(const char* data, size_t size, CNetLocationRecord* out);
    // Reads a list; records that fail are skipped. size / 783 records, rounded down.
    static QList<CNetLocationRecord> DecodeList(const char* data, size_t size);
    static QByteArray EncodeList(const QList<CNetLocationRecord>& records);

    bool operator==(const CNetLocationRecord& o) const
    {
        return kind == o.kind && location == o.location && label == o.label;
    }
};
