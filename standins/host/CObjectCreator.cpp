#include "CObjectCreator.h"

#include "CImageAccessor.h"
#include "HostResult.h"

#include <mutex>

#include <new>

namespace {
constexpr uint32_t kCreateBadArg = HostResult::Make(0x301, HostResult::kErrInvalidArg);
constexpr uint32_t kCreateUnknown = HostResult::Make(0x302, HostResult::kErrUnsupported);
constexpr uint32_t kCreateRefused = HostResult::Make(0x303, HostResult::kErrGeneral);
constexpr uint32_t kCreateNoMemory = HostResult::Make(0x304, 8);
} // namespace

class CObjectCreator::Private
{
public:
    mutable std::mutex mutex;
    QStringList calls;
    int live = 0;
    bool fails = false;
};

CObjectCreator::CObjectCreator() : d(new Private) {}

CObjectCreator::~CObjectCreator()
{
    delete d;
}

uint32_t CObjectCreator::CreateObject(uint32_t interfaceNumber, void** out)
{
    if (!out)
        return kCreateBadArg;
    *out = nullptr;
    if (interfaceNumber != kImageAccessor)
        return kCreateUnknown;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (d->fails)
            return kCreateRefused;
    }
    // Handed out as the interface pointer: the caller deletes it through IImageAccessor.
    IImageAccessor* accessor = new (std::nothrow) CImageAccessor(this);
    if (!accessor)
        return kCreateNoMemory;
    *out = accessor;
    return 0;
}

QStringList CObjectCreator::Calls() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->calls;
}

void CObjectCreator::ClearCalls()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->calls.clear();
}

int CObjectCreator::LiveAccessors() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->live;
}

void CObjectCreator::SetCreationFails(bool fails)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->fails = fails;
}

void CObjectCreator::Note(const QString& call, int liveDelta)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->calls.append(call);
    d->live += liveDelta;
}
