#pragma once
#include "ICodeLog.h"

#include <QString>

// The trace component: appends one line per trace, "<UTC time with ms> <thread id> <text>", to
// ./log/CodeLog.log under the working directory. Every object of the process writes through one
// shared, locked file, so lines of different threads never mix.
class CCodeLog : public ICodeLog
{
public:
    CCodeLog();
    ~CCodeLog() override;

    void Trace(int level, int category, const char16_t* text) override;
    void Flush() override;

    // The line Trace writes for `text` (without the line break).
    static QString FormatLine(const QString& text);
};
