#pragma once
#include <QString>
#include <cstdarg>

// Client side of the trace component. Traces are printf-style UTF-16 format strings:
//   %S  a UTF-16 string (const char16_t*)      %s  a UTF-8 string (const char*)
//   %d %i %u %x %X %o %c with h, l, ll, z modifiers, flags and width; %p; %%
// The component is loaded once per process; without it traces are dropped.
class CTrace
{
public:
    static void Write(const char16_t* format, ...);
    static void WriteV(const char16_t* format, va_list args);

    // Formats like Write without sending anything (also what tests use).
    static QString Format(const char16_t* format, ...);
    static QString FormatV(const char16_t* format, va_list args);

    // Test hook: receive every trace text in this process (null to stop). Called on the tracing
    // thread; the hook must be thread-safe.
    typedef void (*Sink)(const QString& text);
    static void SetSink(Sink sink);
};

// NR_TRACE(u"File = %s, Line = %u, Invalid para", __FILE__, __LINE__)
#define NR_TRACE(...) CTrace::Write(__VA_ARGS__)
