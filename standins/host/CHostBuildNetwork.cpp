#include "CHostBuildNetwork.h"

#include "HostResult.h"

namespace {
constexpr uint32_t kNetRecordsBadArg = HostResult::Make(0x411, HostResult::kErrInvalidArg);
constexpr uint32_t kNetRecordsNone = HostResult::Make(0x412, HostResult::kErrNotFound);
constexpr uint32_t kLocationsBadArg = HostResult::Make(0x413, HostResult::kErrInvalidArg);
} // namespace

uint32_t CHostBuildNetwork::GetTaskNetRecords(void* buffer, uint32_t* size)
{
    NoteCall(QStringLiteral("IBuildNetwork::GetTaskNetRecords(%1)").arg(buffer ? QStringLiteral("buffer") : QStringLiteral("null")));
    return ServeBytes(Data().taskNetRecords, buffer, size, kNetRecordsBadArg, kNetRecordsNone);
}

uint32_t CHostBuildNetwork::SetNetworkLocations(const void* records, uint32_t count)
{
    NoteCall(QStringLiteral("IBuildNetwork::SetNetworkLocations(%1)").arg(count));
    QByteArray bytes;
    if (!CopyRecords(records, count, kRecordSize, &bytes))
        return kLocationsBadArg;
    if (Data().setNetworkResult != 0)
        return Data().setNetworkResult;
    Data().networkLocations.append(bytes);
    return 0;
}
