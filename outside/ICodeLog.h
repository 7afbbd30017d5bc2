#pragma once

// The trace component "CodeLog", created through NRCreateObject with object id 24576.
class ICodeLog
{
public:
    static constexpr unsigned kObjectId = 24576;

    virtual ~ICodeLog() = default;
    // level and category are always 1 and 4 in this product; text is UTF-16, zero-terminated.
    virtual void Trace(int level, int category, const char16_t* text) = 0;
    virtual void Flush() = 0;
};
