#include "CFileTreeFactory.h"

IFileTree* CFileTreeFactory::CreateFileBrower(int treeType, QWidget* parent, unsigned flags)
{
    if (treeType != kTreeFiles && treeType != kTreeFolders)
        return nullptr;
    return new CFileTreePicker(treeType, parent, flags);
}
