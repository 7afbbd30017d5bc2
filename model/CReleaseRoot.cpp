#include "CReleaseRoot.h"
#include "CLvFileSystemModelPrivate.h"
#include "NRThreadHandOff.h"

CReleaseRoot::CReleaseRoot(NodeIndex id) : m_id(id)
{
    setAutoDelete(true);
    NRHandOff(this);
}

void CReleaseRoot::run()
{
    NRTakeOver(this);
    CLvFileSystemModelPrivate::ReleaseRoot(m_id);
}
