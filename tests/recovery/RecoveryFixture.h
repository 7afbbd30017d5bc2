#pragma once
// A recovery page opened through the module's entry with the host stand-in's restore contexts,
// over images written member by member in the test.
#include "BackupFixture.h"
#include "ImageFiles.h"

#include "CFileRecoveryLogicMgr.h"
#include "CFileRecoveryUI.h"
#include "CKWComboBox.h"
#include "CSearchRecoveryLineEdit.h"
#include "CUISearchFileData.h"

namespace recoverytest {

using namespace backuptest;
using imagetest::Member;
using imagetest::WriteImage;

// An opened recovery page.
struct RecoveryPage
{
    ModulePtr module;
    std::shared_ptr<CHostTaskData> data = std::make_shared<CHostTaskData>();
    QSharedPointer<IUICommon> context;
    uint32_t initResult = 0xFFFFFFFF;

    bool Open(const QString& image, uint64_t pageId = 39)
    {
        module = CreateModule();
        if (!module)
            return false;
        data->imagePath = image;
        data->imageGuid = QByteArray("0123456789abcdef");
        context.reset(pageId == 40 ? static_cast<IUICommon*>(new CDiskRestoreHostContext(data)) : new CFileRestoreHostContext(data));
        module->CreatePage(pageId, 0);
        initResult = module->InitPage(pageId, context, nullptr);
        Settle();
        return true;
    }
    CFileRecoveryLogicMgr* Manager() const { return module->RecoveryManager(); }
    CFileRecoveryUI* Ui() const { return Manager() ? Manager()->GetPage() : nullptr; }
    IFileBrower* Tree() const { return Ui() ? Ui()->GetDefaultTree() : nullptr; }
    IFileBrower* SearchTree() const { return Ui() ? Ui()->GetSearchTree() : nullptr; }

    // Lets the image's source and the running search deliver everything they have.
    void Settle()
    {
        fbtest::Settle(Tree());
        if (QSharedPointer<CUISearchFileData> search = Manager() ? Manager()->RunningSearch() : nullptr)
            search->WaitIdle();
        QCoreApplication::processEvents();
    }
    // Types text into the search box and presses Enter, in the scope given.
    void Search(const QString& text, bool allFolders)
    {
        Ui()->ScopeCombo()->setCurrentIndex(allFolders ? 1 : 0);
        Ui()->SearchEdit()->setText(text);
        Ui()->SearchEdit()->OnSearch();
        Settle();
    }
    // The rows of the search results by the path they show.
    QMap<QString, int> Hits() const
    {
        QMap<QString, int> hits;
        const QAbstractItemModel* m = SearchTree()->GetSearchModel();
        for (int r = 0; r < m->rowCount(); ++r)
            hits.insert(m->index(r, 4).data().toString(), r);
        return hits;
    }
    // Ticks a result as a click on its check box does.
    bool Tick(const QString& path) const
    {
        QAbstractItemModel* m = SearchTree()->GetSearchModel();
        return m->setData(m->index(Hits().value(path, -1), 0), Qt::Checked, Qt::CheckStateRole);
    }
    NodeIndex Reach(const QStringList& names) { return fbtest::Reach(static_cast<CFileBrower*>(Tree()), names); }
};

} // namespace recoverytest
