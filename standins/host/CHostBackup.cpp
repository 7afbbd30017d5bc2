#include "CHostBackup.h"

#include "HostResult.h"

namespace {
constexpr uint32_t kDescriptionBadArg = HostResult::Make(0x421, HostResult::kErrInvalidArg);
} // namespace

uint32_t CHostBackup::SetSourceDescription(const char16_t* text)
{
    if (!text) {
        NoteCall(QStringLiteral("IUIBackup::SetSourceDescription(null)"));
        return kDescriptionBadArg;
    }
    // The text comes in a 260-character buffer: never read past it, even without a terminator.
    const QString description = BoundedText(text, kMaxDescription);
    NoteCall(QStringLiteral("IUIBackup::SetSourceDescription(%1)").arg(description));
    Data().sourceDescriptions.append(description);
    return 0;
}
