#pragma once
// Small host contexts for driving the module without the host stand-in's own contexts.
#include "IUICommon.h"
#include "IUIFileOperation.h"
#include "IUIFileRestore.h"
#include "IUIImage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstring>

class PlainContext : public IUICommon
{
};

class FileOperationContext : public IUICommon, public IUIFileOperation
{
public:
    QStringList calls;
    uint32_t SetFilter(const void*, uint32_t) override { return 0; }
    uint32_t SetCredentials(const void*, uint32_t) override { return 0; }
    uint32_t GetTaskFilter(void*, uint32_t* size) override
    {
        if (size)
            *size = 0;
        return 0x24C;
    }
    uint32_t GetTaskSecondFilter(void*, uint32_t* size) override
    {
        if (size)
            *size = 0;
        return 0x24C;
    }
    uint32_t GetFilterKind() override { return 0; }
    uint32_t SetFilterState(uint32_t value) override
    {
        calls << QStringLiteral("SetFilterState %1").arg(value);
        return 0;
    }
};

class FileRestoreContext : public IUICommon, public IUIFileRestore, public IUIImage
{
public:
    QStringList calls;
    QString imagePath = QStringLiteral("/tmp/image.tar");

    uint32_t GetImagePath(char16_t* buffer, uint32_t* length) override
    {
        if (!length)
            return 1;
        if (!buffer) {
            *length = uint32_t(imagePath.size());
            return 0;
        }
        const uint32_t n = std::min<uint32_t>(*length - 1, uint32_t(imagePath.size()));
        std::memcpy(buffer, imagePath.utf16(), n * 2);
        buffer[n] = 0;
        return 0;
    }
    uint32_t TakeRecord(const void* record, uint32_t size) override
    {
        calls << QStringLiteral("TakeRecord %1 %2").arg(size).arg(allZero(record, size));
        return 0;
    }
    uint32_t TakeRestoreRecord(const void* record, uint32_t size) override
    {
        calls << QStringLiteral("TakeRestoreRecord %1 %2").arg(size).arg(allZero(record, size));
        return 0;
    }
    uint32_t NotifyRecovery(uint32_t a, uint32_t b, uint32_t c) override
    {
        calls << QStringLiteral("NotifyRecovery %1 %2 %3").arg(a, 0, 16).arg(b).arg(c);
        return 0;
    }
    uint32_t GetImageGuid(uint8_t guid[16]) override
    {
        std::memset(guid, 0xAB, 16);
        return 0;
    }

private:
    static QString allZero(const void* record, uint32_t size)
    {
        const QByteArray bytes(static_cast<const char*>(record), int(size));
        return bytes.count('\0') == bytes.size() ? QStringLiteral("zero") : QStringLiteral("dirty");
    }
};
