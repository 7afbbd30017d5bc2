#pragma once
#include "CSelectionResolver.h"
#include "NRResult.h"

#include <QString>
#include <QVector>

#include <cstdint>

class QTextStream;

// Writes resolved files into a backup image: a tar archive, gzip-compressed when the name ends in
// ".tar.gz" or ".tgz". The archive is written beside the target and renamed over it at the end,
// so a failed backup never leaves half an image under the image's name.
class CBackupImageWriter
{
public:
    static constexpr uint32_t kPlaceWriter = 0x670;
    // The name ends in neither ".tar", ".tar.gz" nor ".tgz".
    static constexpr uint32_t kErrUnknownKind = NRResult::Make(kPlaceWriter, 0xA1);
    // The archive could not be created or written.
    static constexpr uint32_t kErrWrite = NRResult::Make(kPlaceWriter + 1, 0x1D);
    // The finished archive could not take the image's name.
    static constexpr uint32_t kErrRename = NRResult::Make(kPlaceWriter + 2, 0x1D);

    // Whether `path` names an image kind this writer makes.
    static bool IsKnownKind(const QString& path);

    // Writes the items; progress and skipped files go to `out`. 0 when the image was written
    // (files that vanished or could not be read are skipped and counted in Skipped()).
    uint32_t Write(const QString& imagePath, const QVector<CSelectionResolver::Item>& items, QTextStream& out);
    int Written() const { return m_written; }
    int Skipped() const { return m_skipped; }

private:
    int m_written = 0;
    int m_skipped = 0;
};
