#pragma once
#include <cstdint>

// Result codes of the host's UI manager. Same layout as the module's codes (bits 0-11 error
// number, 12-19 module number, 20-31 failing place), but with the UI manager's own module number,
// so that a page never mistakes a host failure for one of its own table entries.
namespace HostResult {

constexpr uint32_t kModule = 0x30;

constexpr uint32_t Make(uint32_t place, uint32_t errorNumber)
{
    return (place << 20) | (kModule << 12) | (errorNumber & 0xFFFu);
}

// Error numbers the host produces.
constexpr uint32_t kErrGeneral = 1;
constexpr uint32_t kErrMissingObject = 9;
constexpr uint32_t kErrUnsupported = 0xA;
constexpr uint32_t kErrInvalidArg = 0x245;
constexpr uint32_t kErrBufferTooSmall = 0x24C;
constexpr uint32_t kErrNotFound = 0x490;
// The drive or share of a path is there, the folder is not.
constexpr uint32_t kErrFolderMissing = 0xB89;
// The drive letter or network share of a path is not mapped to anything reachable.
constexpr uint32_t kErrLocationMissing = 0xB8A;
// The text is not a path form the host can map (relative, device path, "." or ".." parts).
constexpr uint32_t kErrBadPath = 0xB8B;

} // namespace HostResult
