// libFuzzer entry for the storage path classification and the go-to validation over UTF-16 text
// (the input's bytes as little-endian units). The UTF-16 and QString forms of every predicate
// agree; derived texts keep their promises; nothing is looked up on the network.
#include "CStoragePath.h"
#include "NRText.h"

#include <QVector>

#include <cstdlib>

namespace {

// Dotted names resolve when they end in ".lan": deterministic, and both answers are reached.
bool fakeResolver(const QString& host) { return host.endsWith(QLatin1String(".lan"), Qt::CaseInsensitive); }

template <typename F>
void agree(F f, const char16_t* wide, const QString& text)
{
    if (f(wide) != f(text))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CStoragePath::SetResolverForTest(&fakeResolver);
    QVector<char16_t> units(int(size / 2) + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2)
        units[int(i / 2)] = char16_t(data[i] | (data[i + 1] << 8));
    const char16_t* wide = units.constData();
    // What the wide forms see: the units up to the first terminator.
    const QString text = NRTextFromUnits(wide);
    const QByteArray narrow = text.toUtf8();

    agree([](auto p) { return CStoragePath::IsDrivePath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsUNCPath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsNASPath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsFtpUrl(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsFtpLocation(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsCloudPath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsOwnCloudPath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsOtherCloudPath(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsSecureLocation(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsSecurePartitionName(p); }, wide, text);
    agree([](auto p) { return CStoragePath::HasNoForbiddenPathChars(p); }, wide, text);
    agree([](auto p) { return CStoragePath::HasNoForbiddenNameChars(p); }, wide, text);
    agree([](auto p) { return CStoragePath::HasNoInvalidFileNameChars(p); }, wide, text);
    agree([](auto p) { return CStoragePath::IsReachableUNCServer(p); }, wide, text);
    int exactWide = 0, exactText = 0;
    if (CStoragePath::IsTapePath(wide, &exactWide) != CStoragePath::IsTapePath(text, &exactText) || exactWide != exactText)
        std::abort();
    for (bool serverOnly : {false, true}) {
        const QString root = CStoragePath::UNCRoot(text, serverOnly);
        if (root != CStoragePath::UNCRoot(wide, serverOnly) || !text.startsWith(root))
            std::abort();
    }
    if (!CStoragePath::HasNoInvalidFileNameChars(CStoragePath::StripInvalidFileNameChars(text)))
        std::abort();
    if (CStoragePath::IsValidGotoPath(text) && (text.size() > 259 || text.startsWith(QLatin1String("\\\\.\\"))))
        std::abort();

    // The 8-bit forms take the same text as UTF-8.
    const char* p = narrow.constData();
    (void)CStoragePath::IsDrivePath(p);
    (void)CStoragePath::IsTapePath(p);
    (void)CStoragePath::IsUNCPath(p);
    (void)CStoragePath::IsNASPath(p);
    (void)CStoragePath::IsFtpUrl(p);
    (void)CStoragePath::IsFtpLocation(p);
    (void)CStoragePath::IsOwnCloudPath(p);
    (void)CStoragePath::IsOtherCloudPath(p);
    (void)CStoragePath::IsSecureLocation(p);
    (void)CStoragePath::IsValidTargetPath(p);
    (void)CStoragePath::HasNoForbiddenPathChars(p);
    (void)CStoragePath::HasNoInvalidFileNameChars(p);
    (void)CStoragePath::IsValidTargetPath(text);
    return 0;
}
