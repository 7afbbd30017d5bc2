#pragma once
#include <cstdint>

// Host interface of a backup task: takes the source description (at most 259 characters).
class IUIBackup
{
public:
    virtual ~IUIBackup() = default;
    virtual uint32_t SetSourceDescription(const char16_t* text) = 0;
};
