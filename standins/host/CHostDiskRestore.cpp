#include "CHostDiskRestore.h"

#include "HostResult.h"

namespace {
constexpr uint32_t kPathBadArg = HostResult::Make(0x451, HostResult::kErrInvalidArg);
constexpr uint32_t kPathNone = HostResult::Make(0x452, HostResult::kErrNotFound);
constexpr uint32_t kRecordBadArg = HostResult::Make(0x453, HostResult::kErrInvalidArg);
constexpr uint32_t kMaxRecordBytes = 1u << 16;
} // namespace

uint32_t CHostDiskRestore::TakeRecord(const void* record, uint32_t size)
{
    NoteCall(QStringLiteral("IUIDiskRestore::TakeRecord(%1)").arg(size));
    if ((!record && size) || size > kMaxRecordBytes)
        return kRecordBadArg;
    Data().restoreRecords.append(QByteArray(static_cast<const char*>(record), static_cast<int>(size)));
    return 0;
}

uint32_t CHostDiskRestore::GetImagePath(char16_t* buffer, uint32_t* length)
{
    NoteCall(QStringLiteral("IUIDiskRestore::GetImagePath(%1)").arg(buffer ? QStringLiteral("buffer") : QStringLiteral("null")));
    return ServeText(Data().imagePath, buffer, length, kPathBadArg, kPathNone);
}

uint32_t CHostDiskRestore::DiskRestoreMode()
{
    NoteCall(QStringLiteral("IUIDiskRestore::DiskRestoreMode()"));
    return Data().diskRestoreMode;
}
