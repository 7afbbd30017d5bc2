#pragma once
#include <cstdint>

// Host interface of the image context: the 16-byte image GUID.
class IUIImage
{
public:
    virtual ~IUIImage() = default;
    virtual uint32_t GetImageGuid(uint8_t guid[16]) = 0;
};
