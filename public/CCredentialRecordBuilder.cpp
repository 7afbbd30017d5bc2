#include "CCredentialRecordBuilder.h"

#include "CCredentialRecord.h"
#include "CFilterBlock.h"
#include "CLibLoader.h"
#include "CStoragePath.h"
#include "CTrace.h"
#include "ICredentialSource.h"
#include "NRText.h"

#include <vector>

namespace {

const int kNasPrefixLength = 6; // "NAS://" or "NAS:\\"

CCredentialRecordBuilder::PathShiftFn pathShift()
{
    return reinterpret_cast<CCredentialRecordBuilder::PathShiftFn>(
        CLibLoader::Resolve(QLatin1String(CCredentialRecordBuilder::kStorageComponent),
                            CCredentialRecordBuilder::kPathShiftSymbol));
}

QString physicalPath(const QString& path, CCredentialRecordBuilder::PathShiftFn shift)
{
    if (!CStoragePath::IsNASPath(path))
        return path;
    if (!shift)
        return QStringLiteral("\\\\") + path.mid(kNasPrefixLength);
    std::vector<char16_t> out(CCredentialRecordBuilder::kPathShiftChars, 0);
    if (shift(reinterpret_cast<const char16_t*>(path.utf16()), out.data(), static_cast<uint32_t>(out.size())) != 0)
        return QString();
    out.back() = 0;
    const QString converted = NRTextFromUnits(out.data());
    return converted.isEmpty() ? QString() : converted;
}

// Whether a record stored with the task covers `path`: the stored share is the path itself, or
// the path lies inside it (share paths are compared as the file system does, without case).
bool coversPath(const QString& storedShare, const QString& path)
{
    if (storedShare.isEmpty())
        return false;
    if (storedShare == path)
        return true;
    QString prefix = storedShare;
    if (!prefix.endsWith(QLatin1Char('\\')))
        prefix += QLatin1Char('\\');
    return path.compare(prefix.left(prefix.size() - 1), Qt::CaseInsensitive) == 0
           || path.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

QStringList CCredentialRecordBuilder::PathList(const void* filterBlock, size_t blockSize)
{
    CFilterBlock block;
    if (!filterBlock || NRResult::Failed(block.Parse(filterBlock, blockSize)))
        return QStringList();
    return block.PathList();
}

QString CCredentialRecordBuilder::PhysicalPath(const QString& path)
{
    return physicalPath(path, CStoragePath::IsNASPath(path) ? pathShift() : nullptr);
}

QByteArray CCredentialRecordBuilder::Build(const void* filterBlock, size_t blockSize, const void* oldRecords,
                                           size_t oldSize, ICredentialSource* tree)
{
    if (!filterBlock || !tree)
        return QByteArray();
    const QList<QByteArray> old = CCredentialRecord::Split(static_cast<const char*>(oldRecords), oldSize);
    const QStringList paths = PathList(filterBlock, blockSize);
    PathShiftFn shift = nullptr;
    for (const QString& path : paths) {
        if (CStoragePath::IsNASPath(path)) {
            shift = pathShift();
            break;
        }
    }

    QList<QByteArray> records;
    for (const QString& path : paths) {
        const QString physical = physicalPath(path, shift);
        if (physical.isEmpty())
            continue;
        QString share = tree->ShareOfPath(physical);
        if (share.isEmpty()) {
            if (!CStoragePath::IsUNCPath(physical))
                continue;
            share = physical;
        }
        const QString key = share.endsWith(QLatin1Char('\\')) ? share : share + QLatin1Char('\\');
        QString user, password;
        if (tree->Credentials(key, &user, &password)) {
            records.append(CCredentialRecord(share, user, password).Encode());
            continue;
        }
        for (const QByteArray& record : old) {
            if (coversPath(CCredentialRecord::ShareOf(record.constData()), physical)) {
                records.append(record);
                break;
            }
        }
    }
    NR_TRACE(u"File = %s, Line = %u, %d paths, %d credential records", __FILE__, __LINE__,
             static_cast<int>(paths.size()), static_cast<int>(records.size()));
    return CCredentialRecord::Join(records);
}
