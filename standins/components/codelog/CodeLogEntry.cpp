#include "CCodeLog.h"

#include <new>

namespace {
constexpr int kBadArgument = 1;
constexpr int kUnknownObject = 2;
constexpr int kNoMemory = 3;
} // namespace

// Factory of the trace component: object id 24576 is an ICodeLog the caller owns.
extern "C" __attribute__((visibility("default"))) int NRCreateObject(unsigned objectId, void** out)
{
    if (!out)
        return kBadArgument;
    *out = nullptr;
    if (objectId != ICodeLog::kObjectId)
        return kUnknownObject;
    ICodeLog* log = new (std::nothrow) CCodeLog;
    if (!log)
        return kNoMemory;
    *out = log;
    return 0;
}
