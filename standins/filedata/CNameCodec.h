#pragma once
#include <QByteArray>
#include <cstdint>
#include <QString>
#include <QStringList>

// Turns the byte strings of Linux file names into the UTF-16 names the browser shows, and back,
// without loss. Valid UTF-8 decodes as usual. Every byte that is not part of a valid UTF-8 sequence
// becomes the lone surrogate U+DC00 + byte (so U+DC80..U+DCFF), which no valid UTF-8 produces.
// A backslash inside a name would split it in the Windows path forms the pages use, so names carry
// it as U+DC5C; paths keep their separators. Encoding reverses both, so bytes -> text -> bytes is
// exact for every input.
class CNameCodec
{
public:
    static constexpr char16_t kEscapeBase = 0xDC00;
    static constexpr char16_t kEscapedBackslash = 0xDC5C;

    // One file name (no separators in the result other than the escaped backslash).
    static QString DecodeName(const char* bytes, size_t size);
    static QString DecodeName(const QByteArray& bytes) { return DecodeName(bytes.constData(), size_t(bytes.size())); }
    // Text that is not a single name (an archive member path, a mount point): backslashes stay.
    static QString DecodeText(const char* bytes, size_t size);
    static QString DecodeText(const QByteArray& bytes) { return DecodeText(bytes.constData(), size_t(bytes.size())); }

    // The bytes a decoded name or text stands for (U+DC5C gives a backslash in both). A surrogate that no decoding produces (a high
    // surrogate without its pair, U+DC00..U+DC5B, U+DC5D..U+DC7F) cannot be written: ok is set to
    // false and it is written as UTF-8 of U+FFFD so the result is still well formed.
    static QByteArray EncodeName(const QString& name, bool* ok = nullptr);
    static QByteArray EncodeText(const QString& text, bool* ok = nullptr);

    // True when the bytes are valid UTF-8 (no surrogates, no overlong forms, nothing past U+10FFFF).
    // Length of the valid UTF-8 sequence at p (1..4) with its code point, or 0 when the byte at p
    // does not start one. Inline: the search reads every stored name through it.
    static int SequenceLength(const unsigned char* p, const unsigned char* end, uint32_t* codePoint)
    {
        const unsigned char b0 = p[0];
        if (b0 < 0x80) {
            *codePoint = b0;
            return 1;
        }
        int len;
        uint32_t cp;
        uint32_t min;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        } else {
            return 0;
        }
        if (end - p < len)
            return 0;
        for (int i = 1; i < len; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return 0;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        *codePoint = cp;
        return len;
    }

    static bool IsValidUtf8(const char* bytes, size_t size);

private:
    static QString Decode(const char* bytes, size_t size, bool escapeBackslash);
    static QByteArray Encode(const QString& text, bool* ok);
};
