#pragma once
#include <QFileIconProvider>
#include <QIcon>
#include <QString>

// System icons of the browser: what nodes show when the data source gives none, and the icons
// of the computer, drives, folders, files and network places. Icons are made once on the GUI
// thread; workers only copy them (QIcon copies share their data).
class CKWBrowserIconProc
{
public:
    // System icon types: 1 the computer, 5 any other top-level place (a drive, a folder).
    enum SysIconType { kSysComputer = 1, kSysFolder = 5 };

    // The process-wide provider (made on first use; call it on the GUI thread first).
    static const CKWBrowserIconProc& Instance();
    // A provider of its own; the caller deletes it.
    static CKWBrowserIconProc* CreateBrowseIconProc();
    // The theme name of a system icon ("computer", "folder"); empty for an unknown type.
    static QString GetSysPixBufFileName(int sysIconType);
    // The node registry's hook (CLvFileSystemNode::UpdateIcon).
    static QIcon SysIconOf(int sysIconType);

    CKWBrowserIconProc();

    QIcon SysIcon(int sysIconType) const;
    QIcon FolderIcon() const { return m_folder; }
    QIcon FileIcon() const { return m_file; }
    QIcon DriveIcon() const { return m_drive; }
    QIcon NetworkIcon() const { return m_network; }

private:
    QIcon m_computer;
    QIcon m_folder;
    QIcon m_file;
    QIcon m_drive;
    QIcon m_network;
};
