#include "CReleaseRoot.h"
#include "CLvFileSystemModelPrivate.h"

CReleaseRoot::CReleaseRoot(NodeIndex id) : m_id(id)
{
    setAutoDelete(true);
}

void CReleaseRoot::run()
{
    CLvFileSystemModelPrivate::ReleaseRoot(m_id);
}
