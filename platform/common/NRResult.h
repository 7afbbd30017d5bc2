#pragma once
#include <cstdint>

// Result codes: bits 0-11 the error number (0 = success), bits 12-19 the module number (4 for
// this module), bits 20-31 the place that failed. Success is judged on the low 12 bits alone.
namespace NRResult {

constexpr uint32_t kModule = 4;

constexpr uint32_t Make(uint32_t place, uint32_t errorNumber)
{
    return (place << 20) | (kModule << 12) | (errorNumber & 0xFFFu);
}
constexpr uint32_t ErrorNumber(uint32_t code) { return code & 0xFFFu; }
constexpr uint32_t ModuleNumber(uint32_t code) { return (code >> 12) & 0xFFu; }
constexpr uint32_t Place(uint32_t code) { return code >> 20; }
constexpr bool Succeeded(uint32_t code) { return ErrorNumber(code) == 0; }
constexpr bool Failed(uint32_t code) { return !Succeeded(code); }

// Error numbers shared by several parts.
constexpr uint32_t kErrGeneral = 1;
constexpr uint32_t kErrNoMemory = 8;
constexpr uint32_t kErrMissingObject = 9;
constexpr uint32_t kErrUnsupported = 0xA;
constexpr uint32_t kErrInvalidArg = 0x245;
// The host's answer to a size query: the buffer was too small, the needed size was returned.
constexpr uint32_t kBufferTooSmall = 0x24C;
// The user has been told already (that nothing is selected, or why the selection cannot be
// taken); nobody shows this code again.
constexpr uint32_t kNothingSelectedShown = 0x1001;

} // namespace NRResult
