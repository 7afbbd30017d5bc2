#pragma once
#include "CHostContextCore.h"
#include "IUIImage.h"

// The image piece of a host context: the 16-byte GUID of the image being browsed, read from the
// image's manifest unless the context was given one.
class CHostImage : public virtual CHostContextCore, public IUIImage
{
public:
    uint32_t GetImageGuid(uint8_t guid[16]) override;
};
