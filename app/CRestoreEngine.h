#pragma once
#include "NRResult.h"

#include <QByteArray>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class CImageIndex;
class CTransferSink;

// Restores what a received selection (a filter block from the recovery page's tree, or the block
// the host generated from search results) names in a backup image into a folder: the image's
// member "C:/Users/x/a.txt" becomes FOLDER/C/Users/x/a.txt. Files keep their modification time
// and permission bits, links are made as links, selected folders are made even when empty.
//
// Nothing lands outside the folder: members with an absolute path or a ".." name, and members
// that would be written through a symbolic link, are refused and reported. Files are written
// under a temporary name and renamed when complete, so a cancelled or failed run leaves no
// half-written file under a member's name. What cannot be read or written is reported and the run
// goes on.
//
// The members are found through the image's index (the one the recovery page browses): in an
// uncompressed tar the restore reads only the selected members' headers and data, wherever they
// lie; other images are read once from the start, up to the last selected member.
class CRestoreEngine
{
public:
    static constexpr uint32_t kPlaceRestore = 0x6A0;
    // The target folder cannot be made or opened.
    static constexpr uint32_t kErrTarget = NRResult::Make(kPlaceRestore, 5);
    // The image could not be read to the end of the selection (damaged, or changed since indexed).
    static constexpr uint32_t kErrRead = NRResult::Make(kPlaceRestore + 1, 0x570);
    // The run was cancelled; what was complete stays.
    static constexpr uint32_t kErrCancelled = NRResult::Make(kPlaceRestore + 2, 0x4C7);

    CRestoreEngine();
    ~CRestoreEngine();
    CRestoreEngine(const CRestoreEngine&) = delete;
    CRestoreEngine& operator=(const CRestoreEngine&) = delete;

    // Restores; 0 when the run went through (members that could not be restored are in Refused()
    // and Failed()), else a code above, one of CRestoreSelection's for the block, or the image
    // index's when the image cannot be read at all. Without `index` the image's shared index is
    // taken (built when nobody holds it). `overwrite` replaces existing files instead of keeping
    // both.
    uint32_t Run(const QString& imagePath, const QByteArray& block, const QString& folder, bool overwrite,
                 CTransferSink& sink, QSharedPointer<const CImageIndex> index = QSharedPointer<const CImageIndex>());

    int Restored() const; // files and links
    int Folders() const;  // folders made for folder members
    // "member: why", one per member.
    const QStringList& Refused() const;
    const QStringList& Failed() const;
    // One line on how the run went.
    QString Summary() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
