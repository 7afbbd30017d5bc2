#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// What a host context serves to a page and everything the page handed it. One record is shared
// by the context object the module holds and by whoever made it (the demo host, a test), so it
// can be read after the module has dropped the context. Used on the GUI thread only.
struct CHostTaskData
{
    // Served: the edited task's blocks and records (empty: the task has none).
    QByteArray taskFilter;
    QByteArray taskSecondFilter;
    QByteArray taskNetRecords;
    uint32_t filterKind = 0;
    QString imagePath;
    QByteArray imageGuid = QByteArray(16, '\0');
    uint32_t diskRestoreMode = 0;

    // Answers the host gives, so a test can make a hand-over fail (0: accepted).
    uint32_t setFilterResult = 0;
    uint32_t setCredentialsResult = 0;
    uint32_t setNetworkResult = 0;
    uint32_t generateFilterResult = 0;

    // Received, in call order.
    QList<QByteArray> filters;            // SetFilter blocks
    QList<QByteArray> credentials;        // SetCredentials: count records of 1128 bytes per call
    QList<QByteArray> networkLocations;   // SetNetworkLocations: count records of 783 bytes per call
    QStringList sourceDescriptions;       // SetSourceDescription
    QList<QByteArray> restoreRecords;     // TakeRecord and TakeRestoreRecord
    QList<uint32_t> filterStates;         // SetFilterState
    QList<QByteArray> searchSelections;   // GenerateFilter input blocks
    QList<QList<uint32_t>> notifications; // NotifyRecovery arguments
    // Every call as "Interface::Operation(arguments)".
    QStringList calls;
    // Blocks made by GenerateFilter and not yet given back through FreeGeneratedFilter.
    int generatedBlocksOut = 0;
};
