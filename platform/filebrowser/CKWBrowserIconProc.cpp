#include "CKWBrowserIconProc.h"

#include "CLvFileSystemNode.h"
#include "Util.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

struct PlaceNames
{
    const char* theme; // freedesktop icon name
    const char* own;   // base name of the project's image in ../res/icons/
    QFileIconProvider::IconType last;
};

const PlaceNames kPlaceNames[CKWBrowserIconProc::kPlaceCount] = {
    {"computer", "computer", QFileIconProvider::Computer},
    {"drive-harddisk", "drive-local", QFileIconProvider::Drive},
    {"drive-harddisk-network", "drive-network", QFileIconProvider::Network},
    {"drive-removable-media", "drive-removable", QFileIconProvider::Drive},
    {"folder-remote", "share", QFileIconProvider::Network},
    {"network-server", "nas-device", QFileIconProvider::Network},
    {"network-workgroup", "network-group", QFileIconProvider::Network},
};

bool hasGui()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QFileIconProvider& provider()
{
    static QFileIconProvider instance;
    return instance;
}

// The icon theme first; the platform's own icons when the theme has none.
QIcon themed(const QString& name, QFileIconProvider::IconType fallback)
{
    if (!hasGui())
        return QIcon(); // no GUI (a console test): nodes simply have no icon
    return QIcon::fromTheme(name, provider().icon(fallback));
}

// A place: the theme's icon, else ours (a desktop without a full theme would otherwise show
// drives and the computer with whatever generic icon the platform has), else the platform's.
QIcon placeIcon(CKWBrowserIconProc::Place place)
{
    if (!hasGui())
        return QIcon();
    const PlaceNames& names = kPlaceNames[place];
    const QString theme = QLatin1String(names.theme);
    if (QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    const QIcon own = CKWBrowserIconProc::OwnIcon(place);
    return own.isNull() ? provider().icon(names.last) : own;
}

} // namespace

const CKWBrowserIconProc& CKWBrowserIconProc::Instance()
{
    static const CKWBrowserIconProc* instance = [] {
        auto* p = new CKWBrowserIconProc;
        CLvFileSystemNode::SetSysIconProvider(&CKWBrowserIconProc::SysIconOf);
        return p;
    }();
    return *instance;
}

CKWBrowserIconProc* CKWBrowserIconProc::CreateBrowseIconProc()
{
    return new CKWBrowserIconProc;
}

QString CKWBrowserIconProc::GetSysPixBufFileName(int sysIconType)
{
    switch (sysIconType) {
    case kSysComputer:
        return QStringLiteral("computer");
    case kSysFolder:
        return QStringLiteral("folder");
    default:
        return QString();
    }
}

QIcon CKWBrowserIconProc::SysIconOf(int sysIconType)
{
    return Instance().SysIcon(sysIconType);
}

QIcon CKWBrowserIconProc::OwnIcon(Place place)
{
    if (place < 0 || place >= kPlaceCount || !hasGui())
        return QIcon();
    const QString base = QStringLiteral("../res/icons/%1").arg(QLatin1String(kPlaceNames[place].own));
    const QString normal = Util::getResFullPath(base + QStringLiteral(".png"));
    if (normal.isEmpty() || !QFileInfo::exists(normal))
        return QIcon();
    QIcon icon(normal);
    const QString large = Util::getResFullPath(base + QStringLiteral("@2x.png"));
    if (!large.isEmpty() && QFileInfo::exists(large))
        icon.addFile(large);
    return icon;
}

CKWBrowserIconProc::CKWBrowserIconProc()
    : m_folder(themed(QStringLiteral("folder"), QFileIconProvider::Folder)),
      m_file(themed(QStringLiteral("text-x-generic"), QFileIconProvider::File))
{
    for (int place = 0; place < kPlaceCount; ++place)
        m_places[place] = placeIcon(Place(place));
}

QIcon CKWBrowserIconProc::SysIcon(int sysIconType) const
{
    switch (sysIconType) {
    case kSysComputer:
        return m_places[kComputer];
    case kSysFolder:
        return m_folder;
    default:
        return QIcon();
    }
}
