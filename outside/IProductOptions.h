#pragma once
#include <cstdint>

// The product's options component "NROptions", created through NRCreateObject with kObjectId.
class IProductOptions
{
public:
    static constexpr unsigned kObjectId = 0x4F50;
    // Environment answers: 0 a desktop session (a shell launch delivers an initial selection),
    // 1 the pre-boot environment, 2 a managed console, 3 a desktop session of a service account.
    virtual ~IProductOptions() = default;
    virtual uint32_t EnvironmentAnswer() = 0;
};
