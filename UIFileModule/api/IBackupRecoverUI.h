#pragma once
#include "ICommonUI.h"
#include "IUIWidget.h"

#include <QSharedPointer>
#include <cstdint>

class IUICommon;
class PropValue;
class QWidget;

// Page ids the module answers to (the host's numbering).
namespace NRPage {
constexpr uint64_t kFileBackup = 8;
constexpr uint64_t kFileBackupEdit = 9;
constexpr uint64_t kSmartBackup = 12;
constexpr uint64_t kSmartBackupEdit = 13;
constexpr uint64_t kFileRestoreFamily = 37;
constexpr uint64_t kFileRecovery = 39;
constexpr uint64_t kDiskRecovery = 40;
constexpr uint64_t kRecoveryNoImage = 41;
constexpr uint64_t kCommitKeepSelection = 65;
constexpr uint64_t kCommitReapply = 70;

constexpr bool IsBackup(uint64_t id) { return id == 8 || id == 9 || id == 12 || id == 13; }
constexpr bool IsRecovery(uint64_t id) { return id == 39 || id == 40 || id == 41; }
} // namespace NRPage

// Published page interface of the root object.
class IBackupRecoverUI : public ICommonUI
{
public:
    // slot 3: creates the page's manager; always answers the IUIWidget sub-object.
    virtual IUIWidget* CreatePage(uint64_t pageId, int32_t unused) = 0;
    // slot 4: initialises or switches the page; guid (16 bytes) may be null.
    virtual uint32_t InitPage(uint64_t pageId, QSharedPointer<IUICommon> common, const uint8_t* guid) = 0;
    // slot 5: hands the selection to the host; doc may be null.
    virtual uint32_t CommitSelection(uint64_t pageId, int64_t unused, PropValue* doc) = 0;
    // slot 6
    virtual int64_t QueryOption(uint64_t) { return 0; }
    // slot 7: stores the parent of the pages; answers the object itself.
    virtual IBackupRecoverUI* SetParentWidget(QWidget* parent) = 0;
    // slot 8: the kinds of the selected sources under "Content" (backup pages 8 and 9).
    virtual void DescribeSourceKinds(int64_t unused, PropValue* doc) = 0;
};
