#pragma once
#include <cstdint>

// The UI manager's service object.
class IUIService
{
public:
    virtual ~IUIService() = default;
    // Text of a result code (of any module) into buf (UTF-16, `chars` units with terminator).
    // Answers 0 when a text was written.
    virtual uint32_t GetCodeText(uint32_t code, char16_t* buf, uint32_t chars) = 0;
    // Whether a folder exists: 0 when it does; a failure code otherwise (error number 0xB89
    // when the path is reachable but the folder is absent).
    virtual uint32_t CheckFolderExists(const char16_t* path) = 0;
    // The product's support address for `key` ("ExchangeSupportURL", "NR_KBUrl"): a template
    // in which %1 stands for a result code. Answers 0 when one was written.
    virtual uint32_t GetSupportUrl(const char16_t* key, char16_t* buf, uint32_t chars) = 0;
};
