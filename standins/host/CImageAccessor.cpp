#include "CImageAccessor.h"

#include "CObjectCreator.h"

#include <QString>

CImageAccessor::CImageAccessor(CObjectCreator* creator) : m_creator(creator)
{
    m_creator->Note(QStringLiteral("Create"), 1);
}

CImageAccessor::~CImageAccessor()
{
    m_creator->Note(QStringLiteral("Destroy"), -1);
}

uint32_t CImageAccessor::Start()
{
    m_started = true;
    m_creator->Note(QStringLiteral("Start"), 0);
    return 0;
}

uint32_t CImageAccessor::Stop()
{
    m_creator->Note(QStringLiteral("Stop"), 0);
    if (!m_started)
        return kNotStarted;
    m_started = false;
    return 0;
}
