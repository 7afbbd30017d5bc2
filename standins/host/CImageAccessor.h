#pragma once
#include "HostResult.h"
#include "IObjectCreator.h"

class CObjectCreator;

// Interface 53 of the host's object creator. Start and Stop only keep count of the image being
// in use here; they report each call to the creator's log.
class CImageAccessor : public IImageAccessor
{
public:
    // Stop without a Start before it.
    static constexpr uint32_t kNotStarted = HostResult::Make(0x305, HostResult::kErrGeneral);

    explicit CImageAccessor(CObjectCreator* creator);
    ~CImageAccessor() override;
    CImageAccessor(const CImageAccessor&) = delete;
    CImageAccessor& operator=(const CImageAccessor&) = delete;

    uint32_t Start() override;
    uint32_t Stop() override;
    bool IsStarted() const { return m_started; }

private:
    CObjectCreator* m_creator;
    bool m_started = false;
};
