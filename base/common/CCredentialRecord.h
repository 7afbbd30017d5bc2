#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>

// The 1128-byte network credential record handed to the host with a filter block:
//   0    544 bytes  share path (272 UTF-16 units)
//   544   64 bytes  user name  (32 units)
//   608  520 bytes  password   (260 units)
// Every field is UTF-16LE, zero-terminated inside the field and zero after the terminator.
// A record list is records back to back; its size is a multiple of 1128.
// This is the one reader and writer of the format.
class CCredentialRecord
{
public:
    static constexpr size_t kSize = 1128;
    static constexpr size_t kShareOffset = 0;
    static constexpr size_t kShareBytes = 544;
    static constexpr size_t kUserOffset = 544;
    static constexpr size_t kUserBytes = 64;
    static constexpr size_t kPasswordOffset = 608;
    static constexpr size_t kPasswordBytes = 520;

    QString share;
    QString user;
    QString password;

    CCredentialRecord() = default;
    CCredentialRecord(const QString& shareText, const QString& userText, const QString& passwordText)
        : share(shareText), user(userText), password(passwordText) {}

    // The record's 1128 bytes; each text is cut to its field (leaving room for the terminator, and
    // never between the halves of a surrogate pair).
    QByteArray Encode() const;
    // Reads one record from the first 1128 bytes of `data`. False when fewer bytes are given or a
    // field has no terminator; nothing is read outside the record.
    static bool Decode(const char* data, size_t size, CCredentialRecord* out);

    // The share field alone, read up to its terminator or the end of the field (for matching
    // records whose other fields need not be understood).
    static QString ShareOf(const char* record1128);

    // Splits a list into its raw records (size / 1128, rounded down).
    static QList<QByteArray> Split(const char* data, size_t size);
    static QByteArray Join(const QList<QByteArray>& records);

    bool operator==(const CCredentialRecord& o) const
    {
        return share == o.share && user == o.user && password == o.password;
    }
};
