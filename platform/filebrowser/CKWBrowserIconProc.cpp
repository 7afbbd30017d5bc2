#include "CKWBrowserIconProc.h"

#include "CLvFileSystemNode.h"

#include <QGuiApplication>

namespace {

// The icon theme first; the platform's own icons when the theme has none.
QIcon themed(const QString& name, QFileIconProvider::IconType fallback)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QIcon(); // no GUI (a console test): nodes simply have no icon
    static QFileIconProvider provider;
    return QIcon::fromTheme(name, provider.icon(fallback));
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

CKWBrowserIconProc::CKWBrowserIconProc()
    : m_computer(themed(QStringLiteral("computer"), QFileIconProvider::Computer)),
      m_folder(themed(QStringLiteral("folder"), QFileIconProvider::Folder)),
      m_file(themed(QStringLiteral("text-x-generic"), QFileIconProvider::File)),
      m_drive(themed(QStringLiteral("drive-harddisk"), QFileIconProvider::Drive)),
      m_network(themed(QStringLiteral("network-workgroup"), QFileIconProvider::Network))
{
}

QIcon CKWBrowserIconProc::SysIcon(int sysIconType) const
{
    switch (sysIconType) {
    case kSysComputer:
        return m_computer;
    case kSysFolder:
        return m_folder;
    default:
        return QIcon();
    }
}
