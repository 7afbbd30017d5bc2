#include "CHostFileOperation.h"

#include "CFilterBlock.h"
#include "CTrace.h"
#include "HostResult.h"

namespace {
constexpr uint32_t kSetFilterBadArg = HostResult::Make(0x401, HostResult::kErrInvalidArg);
constexpr uint32_t kSetFilterRefused = HostResult::Make(0x402, CFilterBlock::kErrInvalidData);
constexpr uint32_t kSetCredentialsBadArg = HostResult::Make(0x403, HostResult::kErrInvalidArg);
constexpr uint32_t kTaskFilterBadArg = HostResult::Make(0x404, HostResult::kErrInvalidArg);
constexpr uint32_t kTaskFilterNone = HostResult::Make(0x405, HostResult::kErrNotFound);
constexpr uint32_t kSecondFilterBadArg = HostResult::Make(0x406, HostResult::kErrInvalidArg);
constexpr uint32_t kSecondFilterNone = HostResult::Make(0x407, HostResult::kErrNotFound);
} // namespace

uint32_t CHostFileOperation::SetFilter(const void* block, uint32_t size)
{
    NoteCall(QStringLiteral("IUIFileOperation::SetFilter(%1)").arg(size));
    if (!block || size == 0)
        return kSetFilterBadArg;
    // A task stores what it will later resolve into files: a block that does not read back
    // whole is refused here rather than failing at backup time.
    const uint32_t check = CFilterBlock::Validate(block, size);
    if (check != 0) {
        NR_TRACE(u"File = %s, Line = %u, filter block refused: 0x%08X", __FILE__, __LINE__, check);
        return kSetFilterRefused;
    }
    if (Data().setFilterResult != 0)
        return Data().setFilterResult;
    Data().filters.append(QByteArray(static_cast<const char*>(block), static_cast<int>(size)));
    return 0;
}

uint32_t CHostFileOperation::SetCredentials(const void* records, uint32_t count)
{
    NoteCall(QStringLiteral("IUIFileOperation::SetCredentials(%1)").arg(count));
    QByteArray bytes;
    if (!CopyRecords(records, count, kCredentialRecordSize, &bytes))
        return kSetCredentialsBadArg;
    if (Data().setCredentialsResult != 0)
        return Data().setCredentialsResult;
    Data().credentials.append(bytes);
    return 0;
}

uint32_t CHostFileOperation::GetTaskFilter(void* buffer, uint32_t* size)
{
    NoteCall(QStringLiteral("IUIFileOperation::GetTaskFilter(%1)").arg(buffer ? QStringLiteral("buffer") : QStringLiteral("null")));
    return ServeBytes(Data().taskFilter, buffer, size, kTaskFilterBadArg, kTaskFilterNone);
}

uint32_t CHostFileOperation::GetTaskSecondFilter(void* buffer, uint32_t* size)
{
    NoteCall(QStringLiteral("IUIFileOperation::GetTaskSecondFilter(%1)").arg(buffer ? QStringLiteral("buffer") : QStringLiteral("null")));
    return ServeBytes(Data().taskSecondFilter, buffer, size, kSecondFilterBadArg, kSecondFilterNone);
}

uint32_t CHostFileOperation::GetFilterKind()
{
    NoteCall(QStringLiteral("IUIFileOperation::GetFilterKind()"));
    return Data().filterKind;
}

uint32_t CHostFileOperation::SetFilterState(uint32_t value)
{
    NoteCall(QStringLiteral("IUIFileOperation::SetFilterState(%1)").arg(value));
    Data().filterStates.append(value);
    return 0;
}
