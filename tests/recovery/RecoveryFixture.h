#pragma once
// A recovery page opened through the module's entry with the host stand-in's restore contexts,
// over images written with libarchive in the test.
#include "BackupFixture.h"

#include "CFileRecoveryLogicMgr.h"
#include "CFileRecoveryUI.h"
#include "CKWComboBox.h"
#include "CSearchRecoveryLineEdit.h"
#include "CUISearchFileData.h"

#include <archive.h>
#include <archive_entry.h>

namespace recoverytest {

using namespace backuptest;

// Writes the files (path, content) as an image: "tar", "tar.gz", "zip" or "7z".
inline bool WriteImage(const QString& file, const QString& kind, const QList<QPair<QByteArray, QByteArray>>& files)
{
    archive* a = archive_write_new();
    archive_write_set_format_by_name(a, kind == "zip" ? "zip" : kind == "7z" ? "7zip" : "gnutar");
    if (kind == QLatin1String("tar.gz"))
        archive_write_add_filter_gzip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(file).constData()) == ARCHIVE_OK;
    for (int i = 0; ok && i < files.size(); ++i) {
        archive_entry* e = archive_entry_new();
        archive_entry_copy_pathname(e, files[i].first.constData());
        archive_entry_set_mode(e, AE_IFREG | 0644);
        archive_entry_set_size(e, files[i].second.size());
        ok = archive_write_header(a, e) == ARCHIVE_OK
             && archive_write_data(a, files[i].second.constData(), size_t(files[i].second.size())) >= 0;
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    archive_write_free(a);
    return ok;
}

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
        if (pageId == 40)
            context.reset(new CDiskRestoreHostContext(data));
        else
            context.reset(new CFileRestoreHostContext(data));
        module->CreatePage(pageId, 0);
        initResult = module->InitPage(pageId, context, nullptr);
        Settle();
        return true;
    }
    CFileRecoveryLogicMgr* Manager() const { return module->RecoveryManager(); }
    CFileRecoveryUI* Ui() const { return Manager() ? Manager()->GetPage() : nullptr; }
    IFileBrower* Tree() const { return Ui() ? Ui()->GetDefaultTree() : nullptr; }
    IFileBrower* SearchTree() const { return Ui() ? Ui()->GetSearchTree() : nullptr; }
    CFileBrower* FileBrower() const { return static_cast<CFileBrower*>(Tree()); }

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
    // The search results by path.
    QMap<QString, NodeIndex> Hits() const
    {
        QMap<QString, NodeIndex> hits;
        NodePtr root = Node(SearchTree()->GetRootIndex());
        for (NodeIndex id : root ? root->ChildIds() : QList<NodeIndex>()) {
            NodePtr n = Node(id);
            if (n)
                hits.insert(n->PathText(), id);
        }
        return hits;
    }
    NodeIndex Reach(const QStringList& names) { return fbtest::Reach(FileBrower(), names); }
};

} // namespace recoverytest
