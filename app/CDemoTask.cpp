#include "CDemoTask.h"

#include "CHostTaskData.h"

#include <QFile>
#include <QSaveFile>
#include <QUuid>

#include <nlohmann/json.hpp>

namespace {

// Field names of the task file.
const char* const kGuid = "guid";
const char* const kFilterKind = "filterKind";
const char* const kFilter = "filter";
const char* const kCredentials = "credentials";
const char* const kNetworkLocations = "networkLocations";
const char* const kSourceDescription = "sourceDescription";

bool readBase64(const nlohmann::json& doc, const char* key, QByteArray* out, QString* error)
{
    if (!doc.contains(key)) {
        out->clear();
        return true;
    }
    if (!doc[key].is_string()) {
        *error = QStringLiteral("\"%1\" must be a base64 string").arg(QLatin1String(key));
        return false;
    }
    const QByteArray text = QByteArray::fromStdString(doc[key].get<std::string>());
    auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        *error = QStringLiteral("\"%1\" is not valid base64").arg(QLatin1String(key));
        return false;
    }
    *out = *decoded;
    return true;
}

} // namespace

bool CDemoTask::Load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    const nlohmann::json doc = nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) {
        *error = QStringLiteral("%1 is not a JSON object").arg(path);
        return false;
    }
    if (!readBase64(doc, kGuid, &guid, error) || !readBase64(doc, kFilter, &filter, error)
        || !readBase64(doc, kCredentials, &credentials, error)
        || !readBase64(doc, kNetworkLocations, &networkLocations, error))
        return false;
    if (!guid.isEmpty() && guid.size() != 16) {
        *error = QStringLiteral("\"guid\" must hold 16 bytes");
        return false;
    }
    if (doc.contains(kFilterKind)) {
        if (!doc[kFilterKind].is_number_unsigned()) {
            *error = QStringLiteral("\"filterKind\" must be 0 or 1");
            return false;
        }
        filterKind = doc[kFilterKind].get<uint32_t>() ? 1 : 0;
    }
    if (doc.contains(kSourceDescription) && doc[kSourceDescription].is_string())
        sourceDescription = QString::fromStdString(doc[kSourceDescription].get<std::string>());
    return true;
}

bool CDemoTask::Save(const QString& path, QString* error) const
{
    nlohmann::json doc = nlohmann::json::object();
    doc[kGuid] = guid.toBase64().toStdString();
    doc[kFilterKind] = filterKind;
    doc[kFilter] = filter.toBase64().toStdString();
    doc[kCredentials] = credentials.toBase64().toStdString();
    doc[kNetworkLocations] = networkLocations.toBase64().toStdString();
    doc[kSourceDescription] = sourceDescription.toStdString();
    // Written aside and renamed: a failed write never leaves half a task behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    file.write(QByteArray::fromStdString(doc.dump(2)));
    file.write("\n");
    if (!file.commit()) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

void CDemoTask::ServeTo(CHostTaskData& data) const
{
    data.taskFilter = filter;
    data.taskSecondFilter = credentials;
    data.taskNetRecords = networkLocations;
    data.filterKind = filterKind;
}

void CDemoTask::TakeFrom(const CHostTaskData& data)
{
    if (guid.size() != 16)
        guid = QUuid::createUuid().toRfc4122();
    if (!data.filters.isEmpty())
        filter = data.filters.last();
    credentials = data.credentials.isEmpty() ? QByteArray() : data.credentials.last();
    networkLocations = data.networkLocations.isEmpty() ? QByteArray() : data.networkLocations.last();
    if (!data.sourceDescriptions.isEmpty())
        sourceDescription = data.sourceDescriptions.last();
}
