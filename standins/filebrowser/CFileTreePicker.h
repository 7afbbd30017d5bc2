#pragma once
#include <QPointer>
#include <QString>

class CFileBrower;
class CKWPopWnd;
class QWidget;

// What CFileTreeFactory hands out: a folder picker. Slot order is part of the contract.
class IFileTree
{
public:
    virtual ~IFileTree() = default;                    // 0
    // The dialog; the caller runs it modally (CKWPopWnd::Run) and reads the path on OK.
    virtual CKWPopWnd* GetDialog() = 0;                // 1
    // The path chosen ("C:\Users\x", "\\server\share"); empty when nothing is chosen.
    virtual QString GetSelectedPath() = 0;             // 2
    virtual void SetTitle(const QString& title) = 0;   // 3
};

// A modal folder picker over the local data source: the folder tree (or, for tree type 1, the
// tree with its files) in a dialog with OK and Cancel.
class CFileTreePicker : public IFileTree
{
public:
    CFileTreePicker(int treeType, QWidget* parent, unsigned flags);
    ~CFileTreePicker() override;

    CKWPopWnd* GetDialog() override;
    QString GetSelectedPath() override;
    void SetTitle(const QString& title) override;

    CFileBrower* Browser() const { return m_browser; }

private:
    QPointer<CKWPopWnd> m_dialog;
    CFileBrower* m_browser = nullptr;
};
