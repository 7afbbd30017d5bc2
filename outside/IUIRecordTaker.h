#pragma once
#include <cstdint>

// Secondary base of the host's restore interfaces: takes the 1040-byte restore record.
class IUIRecordTaker
{
public:
    static constexpr uint32_t kRecordSize = 1040;
    virtual ~IUIRecordTaker() = default;
    virtual uint32_t TakeRecord(const void* record, uint32_t size) = 0;
};

// Base that gives an image path as UTF-16: call with no buffer to learn the length in
// characters, then with a buffer of length + 1 characters.
class IUIImagePathSource
{
public:
    virtual ~IUIImagePathSource() = default;
    virtual uint32_t GetImagePath(char16_t* buffer, uint32_t* length) = 0;
};
