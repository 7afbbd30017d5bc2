#pragma once
#include <QString>
#include <vector>

// Sort keys for the natural name order: a key built once per name so that comparing two keys
// element by element gives the same order as CFileSystemModel::naturalCompare (case-insensitive,
// C locale) whenever the keys differ. Equal keys say nothing (the names may still differ in case,
// leading zeros or spaces): the caller then falls back to the full comparison.
//
// Layout: white space is dropped, every other character becomes its lower case code unit, and a
// run of digits becomes kNumber, the length of the run without its leading zeros, then those
// digits. kNumber sits between '/' and ':', so a number compares with a letter as its first digit
// would, and two numbers compare by length before their digits.
class CNaturalKey
{
public:
    static constexpr ushort kNumber = '0';

    // Appends the key of name to out; false (out unchanged) for names whose order the key cannot
    // express: a non-ASCII digit, an embedded NUL, a run longer than 65535 digits, or a digit run
    // ending in zero followed by white space (the full comparison reads that space as a character).
    static bool Append(const QString& name, std::vector<ushort>& out);

    // Lexicographic order of two keys: negative, zero or positive.
    static int Compare(const ushort* a, size_t aLength, const ushort* b, size_t bLength);

    // The first four elements packed so that comparing the integers agrees with Compare whenever
    // they differ (missing elements read as 0, which no key holds where a shorter key ends).
    static quint64 Prefix(const ushort* key, size_t length);

    // Whether the first eight elements of key are all below 256 (names of one script, numbers
    // of fewer than 256 digits): then NarrowPrefix packs them a byte each, which agrees with
    // Compare whenever two such prefixes differ and decides twice as far into the keys.
    static bool FitsNarrow(const ushort* key, size_t length);
    static quint64 NarrowPrefix(const ushort* key, size_t length);
};
