#pragma once
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// The messages of the shell-menu path pipe. A transfer is one count message followed by that many
// path messages; every message starts with an 8-byte little-endian header:
//   0 u32 magic "Csph"   4 u16 total length, header included   6 u16 unused (written as 0)
// Count message: exactly 12 bytes, u32 number of path messages (not 0) at offset 8.
// Path message: 9 bytes or more, a NUL-terminated UTF-16LE path from offset 8.
// This is the one reader and writer of the format; both ends of the pipe use it.
class CShellPipeMessage
{
public:
    static constexpr uint32_t kMagic = 0x68707343u; // "Csph" read as a little-endian u32
    static constexpr size_t kHeaderSize = 8;
    static constexpr size_t kCountMessageSize = 12;
    static constexpr size_t kMinPathMessageSize = 9;
    // The reader's buffer; no message may be longer.
    static constexpr size_t kMaxMessageSize = 32768;
    // Longest path a message can carry: the buffer less the header and the terminator.
    static constexpr int kMaxPathChars = static_cast<int>((kMaxMessageSize - kHeaderSize) / 2) - 1;

    struct Header
    {
        uint32_t magic = 0;
        uint16_t length = 0;
    };

    // Decodes the first 8 bytes of `data`; false when fewer are given.
    static bool ParseHeader(const char* data, size_t size, Header* out);
    // Whether a header may start a message: right magic, at least `minLength` and at most the
    // reader's buffer.
    static bool IsAcceptable(const Header& header, size_t minLength);

    static QByteArray MakeCount(uint32_t count);
    // Empty when the path is empty or longer than kMaxPathChars.
    static QByteArray MakePath(const QString& path);

    // Decodes a whole count message (exactly 12 bytes, right magic and length, count not 0).
    static bool ParseCount(const char* data, size_t size, uint32_t* count);
    // Decodes a whole path message: right magic, length equal to `size` and at least 9, and a
    // terminator inside the message (nothing is read past it). The path may come out empty.
    static bool ParsePath(const char* data, size_t size, QString* path);
};
