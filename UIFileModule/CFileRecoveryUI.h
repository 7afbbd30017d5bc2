#pragma once
#include <QWidget>
#include <cstdint>

class IFileBrower;

// The file recovery page: a search row above the image's tree and the search results.
class CFileRecoveryUI : public QWidget
{
    Q_OBJECT
public:
    CFileRecoveryUI(QWidget* parent, uint64_t pageId);
    ~CFileRecoveryUI() override;

    IFileBrower* GetDefaultTree() const { return defaultTree; }
    IFileBrower* GetSearchTree() const { return searchTree; }
    bool IsSearchShown() const { return false; }
    uint32_t InitView(const void* para);

    static constexpr uint32_t kInitViewNoTree = 0x0A804001;

signals:
    void DoSearch(bool start, QString strImagePath, QString searchFolder, QString strSearchFilter);
    void DoTreeHasSelect(bool checked);

private:
    IFileBrower* defaultTree = nullptr;
    IFileBrower* searchTree = nullptr;
    uint64_t pageId = 0;
};
