#pragma once
#include <cstdint>

// The host's object creator: creates host objects by interface number.
class IObjectCreator
{
public:
    static constexpr uint32_t kImageAccessor = 53;

    virtual ~IObjectCreator() = default;
    // 0 on success; the caller owns *out and deletes it through its virtual destructor.
    virtual uint32_t CreateObject(uint32_t interfaceNumber, void** out) = 0;
};

// Interface 53: the host's image accessor.
class IImageAccessor
{
public:
    virtual ~IImageAccessor() = default;
    virtual uint32_t Start() = 0;
    virtual uint32_t Stop() = 0;
};
