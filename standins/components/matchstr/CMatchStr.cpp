#include "CMatchStr.h"

#include "CFilterBlock.h"

#include <QString>
#include <cstring>
#include <new>

uint32_t CMatchStr::UsedSize(const void* block, uint32_t size)
{
    if (!block || size < CFilterBlock::kHeadSize)
        return 0;
    uint32_t total = 0;
    std::memcpy(&total, static_cast<const char*>(block) + 8, sizeof total);
    if (total > size || CFilterBlock::Validate(block, total) != 0)
        return 0;
    return total;
}

uint32_t CMatchStr::AddItem(void* block, uint32_t size, const Item* item)
{
    if (!block)
        return kErrNullBlock;
    CFilterBlock filter;
    if (item) {
        const uint32_t used = UsedSize(block, size);
        if (!used || filter.Parse(block, used) != 0)
            return kErrBadBlock;
        size_t length = 0;
        const size_t capacity = sizeof item->path / sizeof item->path[0];
        while (length < capacity && item->path[length])
            ++length;
        if (length == 0 || length == capacity)
            return kErrBadItem;
        const QString path = QString::fromUtf16(item->path, int(length));
        int cut = path.lastIndexOf(QLatin1Char('\\'));
        const QString name = cut >= 0 && cut + 1 < path.size() ? path.mid(cut + 1) : path;
        filter.AppendInclude(name, path, (item->flags & kItemFlagFolder) != 0, true, uint8_t(item->nodeKind));
    }
    QByteArray bytes;
    if (filter.Serialize(bytes) != 0)
        return kErrBadItem;
    if (uint32_t(bytes.size()) > size)
        return kErrTooSmall;
    std::memcpy(block, bytes.constData(), size_t(bytes.size()));
    return 0;
}

extern "C" __attribute__((visibility("default"))) int NRCreateObject(unsigned objectId, void** out)
{
    if (!out)
        return 1;
    *out = nullptr;
    if (objectId != IMatchStr::kObjectId)
        return 2;
    *out = static_cast<IMatchStr*>(new (std::nothrow) CMatchStr);
    return *out ? 0 : 3;
}
