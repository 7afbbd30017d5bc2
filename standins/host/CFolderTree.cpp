#include "CFolderTree.h"

#include "CJSONBuf.h"
#include "CFolderTreeStore.h"
#include "CHostPathMap.h"
#include "HostResult.h"

#include <QDir>
#include <QFileInfo>

#include <nlohmann/json.hpp>

#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint32_t kBadArg = HostResult::Make(0x501, HostResult::kErrInvalidArg);
constexpr uint32_t kGroupsTooSmall = HostResult::Make(0x502, IFolderTree::kTooSmall);
constexpr uint32_t kGroupPCsTooSmall = HostResult::Make(0x503, IFolderTree::kTooSmall);
constexpr uint32_t kLibsTooSmall = HostResult::Make(0x504, IFolderTree::kTooSmall);
constexpr uint32_t kLibNodesTooSmall = HostResult::Make(0x505, IFolderTree::kTooSmall);
constexpr uint32_t kGroupNotFound = HostResult::Make(0x506, HostResult::kErrNotFound);
constexpr uint32_t kLibNotFound = HostResult::Make(0x507, HostResult::kErrNotFound);
constexpr uint32_t kMapBadPath = HostResult::Make(0x508, HostResult::kErrBadPath);
constexpr uint32_t kMapNoLocation = HostResult::Make(0x509, HostResult::kErrLocationMissing);
constexpr uint32_t kMapTooSmall = HostResult::Make(0x50A, HostResult::kErrBufferTooSmall);
constexpr uint32_t kAccountBadShare = HostResult::Make(0x50B, HostResult::kErrBadPath);
constexpr uint32_t kAccountTooSmall = HostResult::Make(0x50C, HostResult::kErrBufferTooSmall);
constexpr uint32_t kSetAccountBadShare = HostResult::Make(0x50D, HostResult::kErrBadPath);
constexpr uint32_t kPCAccountBadArg = HostResult::Make(0x50E, HostResult::kErrInvalidArg);
constexpr uint32_t kCreateBadPath = HostResult::Make(0x50F, HostResult::kErrBadPath);
constexpr uint32_t kCreateNoLocation = HostResult::Make(0x510, HostResult::kErrLocationMissing);
constexpr uint32_t kCreateFailed = HostResult::Make(0x511, HostResult::kErrGeneral);
constexpr uint32_t kJSONBadRequest = HostResult::Make(0x512, HostResult::kErrInvalidArg);
constexpr uint32_t kJSONUnknownRequest = HostResult::Make(0x513, HostResult::kErrUnsupported);
constexpr uint32_t kJSONUnknownEvent = HostResult::Make(0x514, HostResult::kErrNotFound);
constexpr uint32_t kJSONNoMemory = HostResult::Make(0x515, 8);

QString fromWide(const char16_t* s)
{
    return QString::fromUtf16(s);
}

// Writes s with its terminator into out of `chars` units; false (and an empty text where there
// is room for one) when it does not fit.
bool putText(const QString& s, char16_t* out, uint32_t chars)
{
    if (chars == 0)
        return false;
    if (static_cast<uint32_t>(s.size()) + 1 > chars) {
        out[0] = u'\0';
        return false;
    }
    std::memcpy(out, s.utf16(), (static_cast<size_t>(s.size()) + 1) * sizeof(char16_t));
    return true;
}

// The record protocol: fill what fits, answer how many there are. The group and library
// queries answer `tooSmall` when not all fit; the drive query never does.
template <typename Record, typename Write>
uint32_t fillRecords(Record* records, int* count, int have, uint32_t tooSmall, Write write)
{
    if (!count || *count < 0 || (*count > 0 && !records))
        return kBadArg;
    const int room = *count;
    const int n = std::min(room, have);
    for (int i = 0; i < n; ++i)
        write(records[i], i);
    *count = have;
    return (tooSmall && have > room) ? tooSmall : 0;
}

uint32_t answer(const nlohmann::json& doc, IJSONBuf** reply)
{
    const QString text =
        QString::fromStdString(doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    IJSONBuf* buf = CreateJSONBuf(0);
    if (!buf)
        return kJSONNoMemory;
    const int bytes = (text.size() + 1) * 2;
    if (buf->SetData(text.utf16(), bytes) != bytes) {
        buf->Release();
        return kJSONNoMemory;
    }
    *reply = buf;
    return 0;
}

} // namespace

CFolderTree::CFolderTree(const CFolderTreeConfig& config, const QString& iniPath,
                         std::shared_ptr<CFolderTreeStore> store)
    : config(config), iniPath(iniPath), store(std::move(store))
{
}

CFolderTree::~CFolderTree() = default;

void CFolderTree::Release()
{
    delete this;
}

uint32_t CFolderTree::Init(uint32_t modeIn, uint32_t, uint32_t)
{
    mode = modeIn;
    return 0;
}

uint32_t CFolderTree::SetGuid(const unsigned char* guidIn)
{
    if (!guidIn)
        return kBadArg;
    std::memcpy(guid, guidIn, sizeof guid);
    return 0;
}

uint32_t CFolderTree::GetPCDriverLetter(NRDriveRecord* records, int* count, uint32_t)
{
    const QList<CFolderTreeConfig::Drive>& drives = config.drives;
    return fillRecords(records, count, drives.size(), 0, [&drives](NRDriveRecord& r, int i) {
        const CFolderTreeConfig::Drive& d = drives[i];
        const QString name = QString(d.letter) + QLatin1Char(':');
        struct statvfs fs{};
        const QByteArray dir = QFile::encodeName(d.directory);
        if (d.directory.isEmpty() || !QFileInfo(d.directory).isDir() || statvfs(dir.constData(), &fs) != 0) {
            // A letter whose directory is gone is listed, marked to be skipped.
            NRFolderTreeRecords::SetDrive(r, reinterpret_cast<const char16_t*>(name.utf16()), 0,
                                          NRFolderTreeRecords::kUnknownSize, 0, NRFolderTreeRecords::kDriveSkip);
            return;
        }
        const uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
        const uint64_t total = uint64_t(fs.f_blocks) * unit;
        const uint64_t free = uint64_t(fs.f_bavail) * unit;
        const uint64_t used = (uint64_t(fs.f_blocks) - uint64_t(fs.f_bfree)) * unit;
        NRFolderTreeRecords::SetDrive(r, reinterpret_cast<const char16_t*>(name.utf16()), total, free, used,
                                      NRFolderTreeRecords::kDriveFixed);
    });
}

uint32_t CFolderTree::GetGroupInfo(NRNameRecord* records, int* count, uint32_t)
{
    const QList<CFolderTreeConfig::Group>& groups = config.groups;
    return fillRecords(records, count, groups.size(), kGroupsTooSmall, [&groups](NRNameRecord& r, int i) {
        NRFolderTreeRecords::SetName(r, reinterpret_cast<const char16_t*>(groups[i].name.utf16()));
    });
}

uint32_t CFolderTree::GetGroupPCInfo(const char16_t* group, NRNameRecord* records, int* count, uint32_t)
{
    if (!group)
        return kBadArg;
    const CFolderTreeConfig::Group* g = config.FindGroup(fromWide(group));
    if (!g)
        return kGroupNotFound;
    const QStringList& pcs = g->pcs;
    return fillRecords(records, count, pcs.size(), kGroupPCsTooSmall, [&pcs](NRNameRecord& r, int i) {
        NRFolderTreeRecords::SetName(r, reinterpret_cast<const char16_t*>(pcs[i].utf16()));
    });
}

uint32_t CFolderTree::GetNetMapPath(const char16_t* path, char16_t* out, uint32_t outChars, uint32_t)
{
    if (!path || !out || outChars == 0)
        return kBadArg;
    out[0] = u'\0';
    QString directory;
    switch (CHostPathMap(iniPath).Map(fromWide(path), &directory)) {
    case CHostPathMap::Mapped:
        return putText(directory, out, outChars) ? 0 : kMapTooSmall;
    case CHostPathMap::LocationMissing:
        return kMapNoLocation;
    case CHostPathMap::BadPath:
        break;
    }
    return kMapBadPath;
}

uint32_t CFolderTree::GetNetAccount(const char16_t* share, char16_t* user, uint32_t userChars, char16_t* password,
                                    uint32_t passwordChars, uint32_t)
{
    if (!share || !user || !password || userChars == 0 || passwordChars == 0)
        return kBadArg;
    user[0] = u'\0';
    password[0] = u'\0';
    const QString unc = CFolderTreeConfig::ShareOf(fromWide(share));
    if (unc.isEmpty())
        return kAccountBadShare;
    QString u;
    QString p;
    if (!store->ShareAccount(unc, &u, &p)) {
        // Nothing handed to us yet: the account the host's configuration gives the share.
        if (const CFolderTreeConfig::Share* s = config.FindShare(unc)) {
            u = s->user;
            p = s->password;
        }
    }
    if (!putText(u, user, userChars) || !putText(p, password, passwordChars)) {
        user[0] = u'\0';
        password[0] = u'\0';
        return kAccountTooSmall;
    }
    return 0;
}

uint32_t CFolderTree::SetNetAccount(const char16_t* share, const char16_t* user, const char16_t* password, uint32_t)
{
    if (!share || !user || !password)
        return kBadArg;
    const QString unc = CFolderTreeConfig::ShareOf(fromWide(share));
    if (unc.isEmpty())
        return kSetAccountBadShare;
    store->SetShareAccount(unc, fromWide(user), fromWide(password));
    return 0;
}

uint32_t CFolderTree::SetNetPCAccount(const char16_t* pc, const char16_t* account, uint32_t)
{
    if (!pc || !account || !*pc)
        return kPCAccountBadArg;
    store->SetPCAccount(fromWide(pc), fromWide(account));
    return 0;
}

uint32_t CFolderTree::GetLibInfo(NRLibRecord* records, int* count, uint32_t)
{
    const QList<CFolderTreeConfig::Library>& libs = config.libraries;
    return fillRecords(records, count, libs.size(), kLibsTooSmall, [&libs](NRLibRecord& r, int i) {
        NRFolderTreeRecords::SetLib(r, reinterpret_cast<const char16_t*>(libs[i].name.utf16()),
                                    reinterpret_cast<const char16_t*>(libs[i].path.utf16()),
                                    NRFolderTreeRecords::kLibLibrary);
    });
}

uint32_t CFolderTree::GetLibNodeInfo(const char16_t* library, NRLibRecord* records, int* count, uint32_t)
{
    if (!library)
        return kBadArg;
    const CFolderTreeConfig::Library* lib = config.FindLibrary(fromWide(library));
    if (!lib)
        return kLibNotFound;
    const QStringList& nodes = lib->nodes;
    return fillRecords(records, count, nodes.size(), kLibNodesTooSmall, [&nodes](NRLibRecord& r, int i) {
        const QString& path = nodes[i];
        const int cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
        const QString name = path.mid(cut + 1);
        NRFolderTreeRecords::SetLib(r, reinterpret_cast<const char16_t*>(name.utf16()),
                                    reinterpret_cast<const char16_t*>(path.utf16()), NRFolderTreeRecords::kLibNode);
    });
}

uint32_t CFolderTree::CreateDir(const char16_t* path, uint32_t)
{
    if (!path)
        return kBadArg;
    QString directory;
    switch (CHostPathMap(iniPath).Map(fromWide(path), &directory)) {
    case CHostPathMap::Mapped:
        return QDir().mkpath(directory) && QFileInfo(directory).isDir() ? 0 : kCreateFailed;
    case CHostPathMap::LocationMissing:
        return kCreateNoLocation;
    case CHostPathMap::BadPath:
        break;
    }
    return kCreateBadPath;
}

uint32_t CFolderTree::JSONRequest(IJSONBuf* request, IJSONBuf** reply, uint32_t)
{
    if (!request || !reply)
        return kBadArg;
    *reply = nullptr;
    const nlohmann::json doc = nlohmann::json::parse(CJSONBuf::Text(request).toStdString(), nullptr, false);
    if (!doc.is_object())
        return kJSONBadRequest;

    if (doc.contains("EventMgrNeedReData"))
        return NewEvent(reply);

    const auto id = doc.find("EventMgrEventID");
    const auto type = doc.find("EventMgrGetDataType");
    if (id == doc.end() || type == doc.end())
        return kJSONUnknownRequest;
    if (!id->is_number_unsigned() || id->get<uint64_t>() > UINT32_MAX || !type->is_number_integer())
        return kJSONBadRequest;
    // Type 2 asks for the names of the snapshot's PCs; no other kind of data is kept.
    if (type->get<int64_t>() != 2)
        return kJSONUnknownRequest;
    const auto start = doc.find("EventMgrPCStartIndex");
    const auto number = doc.find("EventMgrPCDataNumber");
    if (start == doc.end() || !start->is_number_integer() || start->get<int64_t>() < 0)
        return kJSONBadRequest;
    int64_t wanted = -1;
    if (number != doc.end()) {
        if (!number->is_number_integer())
            return kJSONBadRequest;
        wanted = number->get<int64_t>();
    }
    return PCPage(static_cast<uint32_t>(id->get<uint64_t>()), start->get<int64_t>(), wanted, reply);
}

uint32_t CFolderTree::NewEvent(IJSONBuf** reply)
{
    QList<CFolderTreeStore::PC> pcs;
    for (const CFolderTreeConfig::Group& g : config.groups) {
        for (const QString& pc : g.pcs)
            pcs.append({pc, g.name});
    }
    const uint32_t id = store->AddEvent(pcs);
    return answer(nlohmann::json{{"EventMgrEventID", id}}, reply);
}

uint32_t CFolderTree::PCPage(uint32_t eventId, int64_t start, int64_t number, IJSONBuf** reply)
{
    QList<CFolderTreeStore::PC> pcs;
    if (!store->Event(eventId, &pcs))
        return kJSONUnknownEvent;
    // A count of -1 (or any count below 1) leaves the page size to the service.
    const int64_t pageSize = number >= 1 ? std::min<int64_t>(number, config.eventPageSize) : config.eventPageSize;
    const int64_t total = pcs.size();
    const int64_t from = std::min(start, total);
    const int64_t to = std::min(total, from + pageSize);

    nlohmann::json names = nlohmann::json::array();
    for (int64_t i = from; i < to; ++i) {
        const CFolderTreeStore::PC& pc = pcs[static_cast<int>(i)];
        names.push_back({{"EventMgrPCName", pc.name.toStdString()}, {"EventMgrGrName", pc.group.toStdString()}});
    }
    const nlohmann::json doc = {{"EventMgrEventID", eventId},
                                {"EventMgrPCStartIndex", from},
                                {"EventMgrPCNameArray", names},
                                {"EventMgrGetPCDataFinish", to >= total ? 1 : 0}};
    return answer(doc, reply);
}
