#include "CHostImage.h"

#include "CImageManifest.h"
#include "HostResult.h"

#include <cstring>

namespace {
constexpr uint32_t kGuidBadArg = HostResult::Make(0x431, HostResult::kErrInvalidArg);
} // namespace

uint32_t CHostImage::GetImageGuid(uint8_t guid[16])
{
    NoteCall(QStringLiteral("IUIImage::GetImageGuid()"));
    if (!guid)
        return kGuidBadArg;
    // An image the demo host wrote names the task that wrote it; a GUID served explicitly wins.
    CHostTaskData& data = Data();
    if (data.imageGuid.count('\0') == data.imageGuid.size() && !data.imagePath.isEmpty()) {
        CImageManifest manifest;
        if (manifest.Read(data.imagePath))
            data.imageGuid = manifest.guid;
    }
    QByteArray bytes = Data().imageGuid.left(16);
    bytes.append(QByteArray(16 - bytes.size(), '\0'));
    std::memcpy(guid, bytes.constData(), 16);
    return 0;
}
