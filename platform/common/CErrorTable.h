#pragma once
#include <cstdint>

// The texts of the module's error numbers: the one table both the module's error display and a
// host that reports a failed call read. Texts are untranslated; they are translated in the
// context "CErrorDisplay".
class CErrorTable
{
public:
    static constexpr const char* kTranslationContext = "CErrorDisplay";
    // The text of an error number of the module; null when the table has none.
    static const char* Text(uint32_t errorNumber);
};
