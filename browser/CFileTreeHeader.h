#pragma once
#include "CListHeader.h"
#include "NodeKind.h"

// Header of a folder's contents: its check-all box and sort arrow stand for that folder, and
// clicks are ignored while the folder is still being enumerated.
class CFileTreeHeader : public CListHeader
{
    Q_OBJECT
public:
    CFileTreeHeader(int checkSection, NodeIndex rootNode, QWidget* parent = nullptr);

    NodeIndex RootNode() const { return rootNode; }
    // Stores the folder and shows its last sort column and order.
    void SetRootNode(NodeIndex node);
    // True when the folder behind the header has finished loading (clicks are accepted).
    bool FolderReady() const;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void UpdateSortIndicator();

    NodeIndex rootNode;
};
