#pragma once
#include "CHostContextCore.h"
#include "IUIImage.h"

// The image piece of a host context: the 16-byte GUID of the image being browsed.
class CHostImage : public virtual CHostContextCore, public IUIImage
{
public:
    uint32_t GetImageGuid(uint8_t guid[16]) override;
};
