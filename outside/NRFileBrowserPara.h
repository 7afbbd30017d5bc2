#pragma once
#include <cstddef>
#include <cstdint>

class IUIService;

// The 80-byte parameter block with which a page asks the file-browser library for a browser.
// Zero-filled by the page before the fields below are set.
struct _CFileBrowserPara
{
    IUIService* service = nullptr;      // 0: the UI manager's service object
    const void* filterBlock = nullptr;  // 8: initial selection ("FLTR" block) or null
    uint32_t options = 0;               // 16: option bits (NRBrowserOption)
    uint8_t byte20 = 0;                 // 20: 1 for the disk-restore context (recovery page 40)
    uint8_t byte21 = 0;                 // 21: always 1 from the pages
    uint8_t reserved22[2] = {};
    uint32_t filterSize = 0;            // 24: size of filterBlock in bytes
    uint8_t reserved28[20] = {};
    const char* imagePath = nullptr;    // 48: backup image to browse (UTF-8) or null
    const char* secondText = nullptr;   // 56: always null from the pages
    uint8_t imageGuid[16] = {};         // 64: the image's GUID
};
static_assert(sizeof(_CFileBrowserPara) == 80, "parameter block is 80 bytes");
static_assert(offsetof(_CFileBrowserPara, options) == 16, "options at 16");
static_assert(offsetof(_CFileBrowserPara, filterSize) == 24, "filter size at 24");
static_assert(offsetof(_CFileBrowserPara, imagePath) == 48, "image path at 48");
static_assert(offsetof(_CFileBrowserPara, imageGuid) == 64, "image GUID at 64");

// Option bits of _CFileBrowserPara::options. What each bit changes in the browser is documented
// in docs/browser-options.md.
namespace NRBrowserOption {
constexpr uint32_t k0001 = 0x1;
constexpr uint32_t k0004 = 0x4;
constexpr uint32_t k0008 = 0x8;
constexpr uint32_t k0010 = 0x10;
constexpr uint32_t k0020 = 0x20;
constexpr uint32_t k0040 = 0x40;
constexpr uint32_t kImage = 0x80;        // browse a backup image
constexpr uint32_t kNoCloud = 0x100;     // cloud locations are not offered
constexpr uint32_t kEnv0200 = 0x200;     // pre-boot environment
constexpr uint32_t kEnv0400 = 0x400;
constexpr uint32_t kSmart1000 = 0x1000;  // smart backup
constexpr uint32_t kEnv2000 = 0x2000;
constexpr uint32_t kSmart4000 = 0x4000;
constexpr uint32_t kSmart10000 = 0x10000;
} // namespace NRBrowserOption
