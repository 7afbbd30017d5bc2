#pragma once

// The host context handed to InitPage. The host interfaces below are reached from it by
// dynamic cast each time one is needed.
class IUICommon
{
public:
    virtual ~IUICommon() = default;
};
