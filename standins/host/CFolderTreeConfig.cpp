#include "CFolderTreeConfig.h"

#include <QFile>
#include <QRegularExpression>
#include "CNameCodec.h"
#include "CStorageMap.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace {

// The largest page the file may ask for: a page travels as one JSON reply.
constexpr int kMaxEventPageSize = 100000;

QString stringMember(const nlohmann::json& obj, const char* key)
{
    const auto it = obj.find(key);
    if (it == obj.end() || !it->is_string())
        return QString();
    return QString::fromStdString(it->get<std::string>()).trimmed();
}

QStringList stringList(const nlohmann::json& obj, const char* key)
{
    QStringList out;
    const auto it = obj.find(key);
    if (it == obj.end() || !it->is_array())
        return out;
    for (const nlohmann::json& v : *it) {
        if (!v.is_string())
            continue;
        const QString s = QString::fromStdString(v.get<std::string>()).trimmed();
        if (!s.isEmpty())
            out << s;
    }
    return out;
}

void loadIni(const QString& iniPath, CFolderTreeConfig* config)
{
    // Read exactly as the file browser reads it, so both show the same drives and shares.
    CStorageMap map;
    map.Load(iniPath, QStringLiteral("/proc/mounts"));
    for (const CStorageMap::Drive& d : map.Drives())
        config->drives.append({d.letter, CNameCodec::DecodeText(d.dir)});
    for (const CStorageMap::Share& share : map.Shares())
        config->shares.append({share.unc, CNameCodec::DecodeText(share.dir), share.user, share.password});
}

void loadJson(const QString& jsonPath, CFolderTreeConfig* config)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    const nlohmann::json root = nlohmann::json::parse(bytes.constData(), bytes.constData() + bytes.size(),
                                                      nullptr, false);
    if (!root.is_object())
        return;

    const auto groups = root.find("Groups");
    if (groups != root.end() && groups->is_array()) {
        for (const nlohmann::json& g : *groups) {
            if (!g.is_object())
                continue;
            CFolderTreeConfig::Group group{stringMember(g, "Name"), stringList(g, "PCs")};
            if (!group.name.isEmpty())
                config->groups.append(group);
        }
    }

    const auto libraries = root.find("Libraries");
    if (libraries != root.end() && libraries->is_array()) {
        for (const nlohmann::json& l : *libraries) {
            if (!l.is_object())
                continue;
            CFolderTreeConfig::Library lib{stringMember(l, "Name"), stringMember(l, "Path"), stringList(l, "Nodes")};
            if (lib.name.isEmpty())
                continue;
            if (lib.path.isEmpty())
                lib.path = lib.name;
            config->libraries.append(lib);
        }
    }

    const auto page = root.find("EventPageSize");
    if (page != root.end() && page->is_number_unsigned()) {
        const auto n = page->get<uint64_t>();
        if (n >= 1)
            config->eventPageSize = static_cast<int>(std::min<uint64_t>(n, kMaxEventPageSize));
    }
}

} // namespace

CFolderTreeConfig CFolderTreeConfig::Load(const QString& iniPath, const QString& jsonPath)
{
    CFolderTreeConfig config;
    loadIni(iniPath, &config);
    loadJson(jsonPath, &config);
    return config;
}

QString CFolderTreeConfig::ShareOf(const QString& path)
{
    if (!path.startsWith(QLatin1String("\\\\")) && !path.startsWith(QLatin1String("//")))
        return QString();
    static const QRegularExpression sep(QStringLiteral("[\\\\/]"));
    const QStringList parts = path.mid(2).split(sep, Qt::SkipEmptyParts);
    if (parts.size() < 2 || parts[0] == QLatin1String(".") || parts[0] == QLatin1String("?"))
        return QString();
    return QStringLiteral("\\\\") + parts[0] + QLatin1Char('\\') + parts[1];
}

const CFolderTreeConfig::Group* CFolderTreeConfig::FindGroup(const QString& name) const
{
    for (const Group& g : groups) {
        if (g.name.compare(name, Qt::CaseInsensitive) == 0)
            return &g;
    }
    return nullptr;
}

const CFolderTreeConfig::Library* CFolderTreeConfig::FindLibrary(const QString& nameOrPath) const
{
    for (const Library& l : libraries) {
        if (l.name.compare(nameOrPath, Qt::CaseInsensitive) == 0 || l.path.compare(nameOrPath, Qt::CaseInsensitive) == 0)
            return &l;
    }
    return nullptr;
}

const CFolderTreeConfig::Share* CFolderTreeConfig::FindShare(const QString& unc) const
{
    for (const Share& s : shares) {
        if (s.unc.compare(unc, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}
