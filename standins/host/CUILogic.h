#pragma once
#include "IUILogic.h"

#include <QString>

class CFolderTreeStore;

// The host's UI-logic object. Interface 10 is a new folder-tree service (IFolderTree) for each
// request; the caller gives it back with its Release(). Every service shares one store of
// accounts and event snapshots, which lives as long as the longest of them.
class CUILogic : public IUILogic
{
public:
    static constexpr uint32_t kVersion = 1;

    // The process's one UI logic, reading "./default.ini" and "./FolderTree.json".
    static CUILogic* Instance();

    CUILogic(const QString& iniPath = QStringLiteral("./default.ini"),
             const QString& folderTreePath = QStringLiteral("./FolderTree.json"));
    ~CUILogic() override;

    CUILogic(const CUILogic&) = delete;
    CUILogic& operator=(const CUILogic&) = delete;

    uint32_t Version() override;
    uint32_t QueryInterface(uint32_t id, void** out) override;

    // Where the services read their configuration; services made later read the new files.
    void SetConfigPaths(const QString& iniPath, const QString& folderTreePath);
    // The account last handed over for a PC (empty when none).
    QString PCAccount(const QString& pc) const;

private:
    class Private;
    Private* d;
};
