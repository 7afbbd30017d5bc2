#pragma once
#include "CFileTreePicker.h"

class QWidget;

// Makes the library's stand-alone trees.
class CFileTreeFactory
{
public:
    // Tree types: a folder picker (12) and a picker that also lists files (1).
    static constexpr int kTreeFiles = 1;
    static constexpr int kTreeFolders = 12;

    // A picker over the local data source, or null for another type. The caller deletes it.
    static IFileTree* CreateFileBrower(int treeType, QWidget* parent, unsigned flags);
};
