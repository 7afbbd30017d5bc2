#pragma once
#include "CMsgHub.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// What tests and the demo host see of the process's UI manager: the hub's records, the host's
// own deliveries, the service's INI file and the image accessor's call log.
class CUIManagerProbe
{
public:
    // Messages sent through the hub, in order (id and payload bytes).
    static QList<CHubRecord> SentMessages();
    // Payloads of the messages with `id`, in order.
    static QList<QByteArray> SentPayloads(uint32_t id);
    static void ClearSentMessages();

    // Deliveries from the host to the subscribers of `id` (kind 1 signals, kind 0 messages); not
    // recorded. On the GUI thread they run before the call returns, else they are queued to it.
    static int64_t SendSignal(uint32_t id, const QByteArray& payload);
    static int64_t SendMessage(uint32_t id, const QByteArray& payload);
    static int SignalSubscriptions(uint32_t id);
    static int MessageSubscriptions(uint32_t id);

    // The INI file that maps Windows-form paths for the folder check ("./default.ini").
    static void SetDefaultIniPath(const QString& path);

    // Image accessor: "Create", "Start", "Stop", "Destroy" in call order; accessors alive.
    static QStringList ImageAccessorCalls();
    static void ClearImageAccessorCalls();
    static int LiveImageAccessors();
    static void SetObjectCreationFails(bool fails);
};
