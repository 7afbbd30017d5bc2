#include "CHostFileRestore.h"

#include "HostResult.h"

namespace {
constexpr uint32_t kPathBadArg = HostResult::Make(0x441, HostResult::kErrInvalidArg);
constexpr uint32_t kPathNone = HostResult::Make(0x442, HostResult::kErrNotFound);
constexpr uint32_t kRecordBadArg = HostResult::Make(0x443, HostResult::kErrInvalidArg);
constexpr uint32_t kRestoreRecordBadArg = HostResult::Make(0x444, HostResult::kErrInvalidArg);
// Larger than any restore record; bounds what a bad size can make the host copy.
constexpr uint32_t kMaxRecordBytes = 1u << 16;
} // namespace

uint32_t CHostFileRestore::GetImagePath(char16_t* buffer, uint32_t* length)
{
    NoteCall(QStringLiteral("IUIFileRestore::GetImagePath(%1)").arg(buffer ? QStringLiteral("buffer") : QStringLiteral("null")));
    return ServeText(Data().imagePath, buffer, length, kPathBadArg, kPathNone);
}

uint32_t CHostFileRestore::TakeRecord(const void* record, uint32_t size)
{
    NoteCall(QStringLiteral("IUIFileRestore::TakeRecord(%1)").arg(size));
    if ((!record && size) || size > kMaxRecordBytes)
        return kRecordBadArg;
    Data().restoreRecords.append(QByteArray(static_cast<const char*>(record), static_cast<int>(size)));
    return 0;
}

uint32_t CHostFileRestore::TakeRestoreRecord(const void* record, uint32_t size)
{
    NoteCall(QStringLiteral("IUIFileRestore::TakeRestoreRecord(%1)").arg(size));
    if ((!record && size) || size > kMaxRecordBytes)
        return kRestoreRecordBadArg;
    Data().restoreRecords.append(QByteArray(static_cast<const char*>(record), static_cast<int>(size)));
    return 0;
}

uint32_t CHostFileRestore::NotifyRecovery(uint32_t a, uint32_t b, uint32_t c)
{
    NoteCall(QStringLiteral("IUIFileRestore::NotifyRecovery(0x%1, %2, %3)").arg(a, 0, 16).arg(b).arg(c));
    Data().notifications.append(QList<uint32_t>{a, b, c});
    return 0;
}
