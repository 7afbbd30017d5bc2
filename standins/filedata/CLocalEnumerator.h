#pragma once
#include "CEntryRecord.h"
#include "NRResult.h"

#include <QByteArray>

#include <atomic>
#include <functional>

// Lists one local directory: readdir + fstatat, never following a link into a folder, each name
// through the name codec. Runs on the calling thread (a worker); hands out records in batches.
class CLocalEnumerator
{
public:
    static constexpr uint32_t kErrNumPathNotFound = 3;
    static constexpr uint32_t kErrNumAccessDenied = 5;
    static constexpr uint32_t kErrNumReadFault = 0x1E;
    static constexpr uint32_t kErrNumNotADirectory = 0x10B;
    static constexpr uint32_t kErrNumCancelled = 0x4C7;

    static constexpr uint32_t kErrVanished = NRResult::Make(0x720, kErrNumPathNotFound);
    static constexpr uint32_t kErrUnreadable = NRResult::Make(0x721, kErrNumAccessDenied);
    static constexpr uint32_t kErrNotAFolder = NRResult::Make(0x722, kErrNumNotADirectory);
    static constexpr uint32_t kErrReadFailed = NRResult::Make(0x723, kErrNumReadFault);
    static constexpr uint32_t kErrCancelled = NRResult::Make(0x724, kErrNumCancelled);
    static constexpr uint32_t kErrBadArgument = NRResult::Make(0x725, NRResult::kErrInvalidArg);

    // Receives each batch; `last` is true for the final one (which may be empty).
    using BatchFn = std::function<void(CEntryBatch&& batch, bool last)>;

    explicit CLocalEnumerator(int batchSize = 1000);

    // Lists `dir`. On failure no batch with last == true is delivered by a cancelled or failed
    // listing after the failure; records already handed out stay valid. Checks `cancel` between
    // entries.
    uint32_t List(const QByteArray& dir, const BatchFn& onBatch, const std::atomic_bool* cancel = nullptr) const;


    // Permission bits of a stat mode for the current user, as QFile::Permissions.
    static uint32_t PermissionsOf(uint32_t mode, uint32_t uid, uint32_t gid);

private:
    int m_batchSize;
};
