#include "CUIManagerProbe.h"

#include "CObjectCreator.h"
#include "CUIManager.h"
#include "CUIService.h"

QList<CHubRecord> CUIManagerProbe::SentMessages()
{
    return CUIManager::Instance()->Hub()->Records();
}

QList<QByteArray> CUIManagerProbe::SentPayloads(uint32_t id)
{
    QList<QByteArray> out;
    for (const CHubRecord& r : SentMessages())
        if (r.id == id)
            out.append(r.payload);
    return out;
}

void CUIManagerProbe::ClearSentMessages()
{
    CUIManager::Instance()->Hub()->ClearRecords();
}

int64_t CUIManagerProbe::SendSignal(uint32_t id, const QByteArray& payload)
{
    return CUIManager::Instance()->Hub()->Raise(CMsgHub::kKindSignal, id, payload);
}

int64_t CUIManagerProbe::SendMessage(uint32_t id, const QByteArray& payload)
{
    return CUIManager::Instance()->Hub()->Raise(CMsgHub::kKindMessage, id, payload);
}

int CUIManagerProbe::SignalSubscriptions(uint32_t id)
{
    return CUIManager::Instance()->Hub()->SubscriptionCount(CMsgHub::kKindSignal, id);
}

int CUIManagerProbe::MessageSubscriptions(uint32_t id)
{
    return CUIManager::Instance()->Hub()->SubscriptionCount(CMsgHub::kKindMessage, id);
}

void CUIManagerProbe::SetDefaultIniPath(const QString& path)
{
    CUIManager::Instance()->Service()->SetDefaultIniPath(path);
}

QStringList CUIManagerProbe::ImageAccessorCalls()
{
    return CUIManager::Instance()->ObjectCreator()->Calls();
}

void CUIManagerProbe::ClearImageAccessorCalls()
{
    CUIManager::Instance()->ObjectCreator()->ClearCalls();
}

int CUIManagerProbe::LiveImageAccessors()
{
    return CUIManager::Instance()->ObjectCreator()->LiveAccessors();
}

void CUIManagerProbe::SetObjectCreationFails(bool fails)
{
    CUIManager::Instance()->ObjectCreator()->SetCreationFails(fails);
}
