#pragma once
#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <cstdint>

class CGetDataCommon;
class CKWBox;
class CKWComboBox;
class CSearchRecoveryLineEdit;
class IFileBrower;
class QStackedWidget;
class QVBoxLayout;
struct _CFileBrowserPara;
typedef quint32 NodeIndex;

// The file recovery page: a search row (search box and scope) above a stack of two browsers over
// the backup image, the image's tree (page 0) and the results of the last search (page 1). Search
// requests become DoSearch for the logic manager; whichever tree is visible reports whether
// anything is selected through DoTreeHasSelect.
class CFileRecoveryUI : public QWidget
{
    Q_OBJECT
public:
    CFileRecoveryUI(QWidget* parent, uint64_t pageId);
    ~CFileRecoveryUI() override;

    bool CreateTrees(_CFileBrowserPara* para, CGetDataCommon* data, QWidget* parent);
    bool CreateSearchTree();
    // Points the image's tree at the image the block names; it starts loading.
    uint32_t InitView(const _CFileBrowserPara* para);

    IFileBrower* GetDefaultTree() const { return defaultTree; }
    IFileBrower* GetSearchTree() const { return searchTree; }
    bool IsSearchShown() const;
    // The folder the image's tree shows (0 when none).
    NodeIndex GetCurrentFolder() const;
    QString GetSearchScope() const;
    // Selects the row-th child of the image's root.
    void SelectRow(int row);
    void ShowSearching(const QString& imagePath, const QString& filter, const QString& folder);
    void ShowSearchResult(const QString& imagePath, const QString& filter, const QString& folder);

    CSearchRecoveryLineEdit* SearchEdit() const { return searchEdit; }
    CKWComboBox* ScopeCombo() const { return scopeCombo; }

    static constexpr uint32_t kInitViewNoTree = 0x0A804001;

signals:
    void DoSearch(bool start, QString strImagePath, QString searchFolder, QString strSearchFilter);
    void DoTreeHasSelect(bool checked);

public slots:
    void OnSearch(bool start, QString text = QString());
    void OnChangeSearchType(const QString& text);
    void OnTreeHasSelectByDefaultTree(bool bSelected);
    void OnTreeHasSelectBySearchTree(bool bSelected);

private:
    // The folder a "Current folder" search covers, in the form the search engine reads.
    QString searchFolderOf(NodeIndex node) const;
    // Tells the user when the image could not be read, or holds nothing.
    void reportImageLoaded(uint32_t code);

    IFileBrower* defaultTree = nullptr;
    IFileBrower* searchTree = nullptr;
    CKWComboBox* scopeCombo = nullptr;
    CSearchRecoveryLineEdit* searchEdit = nullptr;
    QStackedWidget* stack = nullptr;
    QWidget* fileTreePage = nullptr;
    QVBoxLayout* fileTreeLayout = nullptr;
    QWidget* searchTreePage = nullptr;
    QVBoxLayout* searchTreeLayout = nullptr;
    QWidget* pageParent = nullptr;
    QString searchText;
    QString imagePath;
    QString lastImagePath;
    QString lastFilter;
    QString lastFolder;
    bool searchHasSelect = false;
    bool defaultHasSelect = false;
    uint64_t pageId = 0;
};
