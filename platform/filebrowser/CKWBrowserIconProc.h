#pragma once
#include <QFileIconProvider>
#include <QIcon>
#include <QString>

// System icons of the browser: what nodes show when the data source gives none, and the icons
// of the computer, drives, folders, files and network places. Each comes from the desktop's icon
// theme when the theme has it, else from the project's own images ("../res/icons/", with @2x
// variants), else from Qt. Icons are made once on the GUI thread; workers only copy them (QIcon
// copies share their data).
class CKWBrowserIconProc
{
public:
    // System icon types: 1 the computer, 5 any other top-level place (a drive, a folder).
    enum SysIconType { kSysComputer = 1, kSysFolder = 5 };
    // Places with an icon of their own.
    enum Place { kComputer, kLocalDrive, kNetworkDrive, kRemovableDrive, kShare, kNasDevice, kNetworkGroup, kPlaceCount };

    // The process-wide provider (made on first use; call it on the GUI thread first).
    static const CKWBrowserIconProc& Instance();
    // A provider of its own; the caller deletes it.
    static CKWBrowserIconProc* CreateBrowseIconProc();
    // The theme name of a system icon ("computer", "folder"); empty for an unknown type.
    static QString GetSysPixBufFileName(int sysIconType);
    // The node registry's hook (CLvFileSystemNode::UpdateIcon).
    static QIcon SysIconOf(int sysIconType);
    // The project's own image of a place ("../res/icons/NAME.png"; null when it cannot be read).
    static QIcon OwnIcon(Place place);

    CKWBrowserIconProc();

    QIcon SysIcon(int sysIconType) const;
    QIcon FolderIcon() const { return m_folder; }
    QIcon FileIcon() const { return m_file; }
    QIcon PlaceIcon(Place place) const { return m_places[place]; }

private:
    QIcon m_folder;
    QIcon m_file;
    QIcon m_places[kPlaceCount];
};
