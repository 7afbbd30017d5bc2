#include "CImageManifest.h"

#include "CNameCodec.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <memory>

namespace {

const char* const kFieldVersion = "version";
const char* const kFieldGuid = "guid";
const char* const kFieldTime = "time";
const char* const kFieldSource = "source";

struct ReadCloser
{
    void operator()(archive* a) const { archive_read_free(a); }
};

} // namespace

bool CImageManifest::IsManifestPath(const char* path)
{
    if (!path)
        return false;
    while (*path == '/')
        ++path;
    if (path[0] == '.' && path[1] == '/')
        path += 2;
    return std::strcmp(path, kMemberName) == 0;
}

QByteArray CImageManifest::ToJson() const
{
    QJsonObject o;
    o.insert(QLatin1String(kFieldVersion), kVersion);
    o.insert(QLatin1String(kFieldGuid), QString::fromLatin1(guid.toBase64()));
    o.insert(QLatin1String(kFieldTime), time.toUTC().toString(Qt::ISODate));
    o.insert(QLatin1String(kFieldSource), source);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool CImageManifest::FromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    if (o.value(QLatin1String(kFieldVersion)).toInt(-1) != kVersion)
        return false;
    const QJsonValue g = o.value(QLatin1String(kFieldGuid));
    const QByteArray bytes = QByteArray::fromBase64(g.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!g.isString() || bytes.size() != 16)
        return false;
    guid = bytes;
    time = QDateTime::fromString(o.value(QLatin1String(kFieldTime)).toString(), Qt::ISODate).toUTC();
    source = o.value(QLatin1String(kFieldSource)).toString();
    return true;
}

bool CImageManifest::Read(const QString& imagePath)
{
    std::unique_ptr<archive, ReadCloser> a(archive_read_new());
    if (!a)
        return false;
    archive_read_support_filter_all(a.get());
    archive_read_support_format_all(a.get());
    const QByteArray file = CNameCodec::EncodeText(imagePath);
    archive_entry* entry = nullptr;
    if (file.isEmpty() || archive_read_open_filename(a.get(), file.constData(), 1 << 16) != ARCHIVE_OK
        || archive_read_next_header(a.get(), &entry) < ARCHIVE_WARN)
        return false;
    if (!IsManifestPath(archive_entry_pathname(entry)) || archive_entry_filetype(entry) != AE_IFREG
        || !archive_entry_size_is_set(entry) || archive_entry_size(entry) > kMaxBytes)
        return false;
    QByteArray json(int(archive_entry_size(entry)), '\0');
    const la_ssize_t n = archive_read_data(a.get(), json.data(), size_t(json.size()));
    return n == json.size() && FromJson(json);
}

bool CImageManifest::Write(archive* a) const
{
    const QByteArray json = ToJson();
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(), archive_entry_free);
    archive_entry_copy_pathname(entry.get(), kMemberName);
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), json.size());
    archive_entry_set_mtime(entry.get(), time.toSecsSinceEpoch(), 0);
    return archive_write_header(a, entry.get()) == ARCHIVE_OK
           && archive_write_data(a, json.constData(), size_t(json.size())) == json.size();
}
