#pragma once
#include "NRFileBrowserPara.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>

class CGetDataCommon;
class IBrower;
// The host's search object handed to the library's search engine: the image accessor
// (interface 53 of the host's object creator, IObjectCreator.h).
class IImageAccessor;
typedef IImageAccessor IUIFileSearch;
class QAbstractItemModel;
class QWidget;
typedef quint32 NodeIndex;

// Information about a drive letter. Type 5: the letter stands for a network location.
struct NRDriveInfo
{
    static constexpr int kNetworkDrive = 5;
    int driveType = 0;
    QString label;
    QString linuxPath;   // directory behind the letter
    QString networkPath; // for type 5: the location's own path ("\\server\share")
};

// Kinds of search (CUISearchFileData): 1 a file-level image, 2 a disk image.
enum FileSearchType { kSearchFileImage = 1, kSearchDiskImage = 2 };

// What the file-browser library hands a page: a browser over one data source. Slot order is part
// of the contract (slot numbers in the comments; the virtual destructor is slot 0).
class IFileBrower
{
public:
    // Tree types for CreateInstanceByType.
    static constexpr int kTypeSearchResult = 1;

    // A browser for the parameter block; data may be null (the library picks the source from the
    // block). Null when the browser cannot be built.
    static IFileBrower* CreateInstance(_CFileBrowserPara* para, CGetDataCommon* data, void* page);
    static IFileBrower* CreateInstanceByType(int treeType, CGetDataCommon* data, void* parent);

    virtual ~IFileBrower() = default;                                              // 0
    virtual QWidget* GetWidget() = 0;                                              // 1
    virtual void SetParentWidget(QWidget* parent) = 0;                             // 2
    virtual void SetPageValue(qint64 value) = 0;                                   // 3
    virtual void ShowBrowser(bool flag, uint32_t typeFilter) = 0;                  // 4
    virtual QSharedPointer<CGetDataCommon> GetDataSource() = 0;                    // 5
    virtual void SetDataSource(QSharedPointer<CGetDataCommon> source) = 0;         // 6
    virtual QAbstractItemModel* GetSearchModel() = 0;                              // 7
    virtual bool SetFilter(const void* block, uint32_t size) = 0;                  // 8
    // A failed GetFilter sets *flag to this when it has already told the user why (a ticked
    // server that cannot be reached), so the caller does not tell the user a second time.
    static constexpr uint32_t kFilterRefusedUserTold = 2;
    virtual bool GetFilter(void** block, uint32_t* size, uint32_t* flag) = 0;      // 9
    virtual bool FreeFilter(void* block) = 0;                                      // 10
    virtual void ClearModified(bool modified) = 0;                                 // 11
    virtual QString GetCurrentPath() = 0;                                          // 12
    virtual QByteArray GetNodePathUtf8(NodeIndex node, int flag) = 0;              // 13
    virtual NodeIndex FindNodeByUtf8Path(const char* utf8Path) = 0;                // 14
    virtual void SelectNode(NodeIndex node) = 0;                                   // 15
    virtual QList<NodeIndex> GetCheckedNodes() = 0;                                // 16
    virtual int GetRootType(NodeIndex node) = 0;                                   // 17
    virtual bool GetDriveInfo(const QString& drivePath, NRDriveInfo* info) = 0;    // 18
    virtual QString TranslateMappedPath(const QString& drivePath) = 0;             // 19
    virtual bool SetNodeCheckState(NodeIndex node, int state) = 0;                 // 20
    virtual void SetNetworkRecords(const void* records, uint32_t count) = 0;       // 21
    // The user name and password known for a share ("\\server\share\"); false when none.
    virtual bool GetShareCredentials(const QString& shareKey, QString* user, QString* password) = 0; // 22
    // The share that backs a path; empty when the browser knows none.
    virtual QString GetShareOfPath(const QString& path) = 0;                       // 23
    // The network locations of the selection as 783-byte records.
    virtual QByteArray GetNetworkLocations(uint32_t* count) = 0;                   // 24
    virtual IBrower* GetBrower() = 0;                                              // 25
    virtual bool IsModified() = 0;                                                 // 26
    virtual bool GetCheckedItems(QList<NodeIndex>* items, int flag, int reserved) = 0; // 27
    virtual NodeIndex GetRootIndex() = 0;                                          // 28
    virtual NodeIndex GetRootIdByName(const QString& name) = 0;                    // 29
    virtual bool SetCheckEnabled(bool enabled) = 0;                                // 30
    virtual void ExpandNode(NodeIndex node, bool expand) = 0;                      // 31
    virtual void SetRootIsHide(bool hide) = 0;                                     // 32
    virtual void ShowRightView(bool show) = 0;                                     // 33
    virtual bool HasSelection() = 0;                                               // 34
    virtual void SetNameFilters(const QStringList& patterns) = 0;                  // 35
    virtual QStringList GetNameFilters() = 0;                                      // 36
    virtual void StopNodeLoading(NodeIndex node) = 0;                              // 37
    virtual bool IsNodeLoaded(NodeIndex node) = 0;                                 // 38
    virtual QString GetNodeDisplayPath(NodeIndex node) = 0;                        // 39
    virtual void Refresh(NodeIndex node) = 0;                                      // 40
    virtual uint32_t GetOptions() = 0;                                             // 41
    virtual void SetCurrentNode(NodeIndex node) = 0;                               // 42
    virtual NodeIndex GetCurrentNode() = 0;                                        // 43
    virtual int GetLoadingState() = 0;                                             // 44
    virtual void SetLoadingState(int state) = 0;                                   // 45
    // The path of the one whole folder the selection consists of (one include, nothing left
    // out below it); empty for any other selection. Read from the selection, no block is made.
    virtual QString GetSingleFolderSelection() = 0;                                // 46
};
