#pragma once
#include "NodeKind.h"
#include <QRunnable>

// Releases the subtree of one node on a pool thread (auto-deleted after run).
class CReleaseRoot : public QRunnable
{
public:
    explicit CReleaseRoot(NodeIndex id);
    void run() override;

private:
    NodeIndex m_id;
};
