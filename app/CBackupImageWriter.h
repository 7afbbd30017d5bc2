#pragma once
#include "CSelectionResolver.h"
#include "NRResult.h"

#include <QString>
#include <QVector>

#include <cstdint>

class CImageManifest;
class CTransferSink;

// Writes resolved files into a backup image: a tar archive, gzip-compressed when the name ends in
// ".tar.gz" or ".tgz", starting with the image's manifest. The archive is written beside the
// target and renamed over it at the end, so a failed or cancelled backup never leaves half an
// image under the image's name.
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
    // The backup was cancelled; no image was left.
    static constexpr uint32_t kErrCancelled = NRResult::Make(kPlaceWriter + 3, 0x4C7);

    // Whether `path` names an image kind this writer makes.
    static bool IsKnownKind(const QString& path);

    // Writes the manifest and the items; progress, finished files and skipped ones go to `sink`.
    // 0 when the image was written (files that vanished or could not be read are skipped and
    // counted in Skipped()).
    uint32_t Write(const QString& imagePath, const QVector<CSelectionResolver::Item>& items,
                   const CImageManifest& manifest, CTransferSink& sink);
    int Written() const { return m_written; }
    int Skipped() const { return m_skipped; }

private:
    int m_written = 0;
    int m_skipped = 0;
};
