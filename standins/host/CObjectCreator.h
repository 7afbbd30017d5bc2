#pragma once
#include "IObjectCreator.h"

#include <QStringList>

// The host's object creator. It knows interface 53, the image accessor; every accessor reports
// its life ("Create", "Start", "Stop", "Destroy") into the creator's call log.
class CObjectCreator : public IObjectCreator
{
public:
    CObjectCreator();
    ~CObjectCreator() override;
    CObjectCreator(const CObjectCreator&) = delete;
    CObjectCreator& operator=(const CObjectCreator&) = delete;

    uint32_t CreateObject(uint32_t interfaceNumber, void** out) override;

    QStringList Calls() const;
    void ClearCalls();
    // Accessors created and not yet deleted.
    int LiveAccessors() const;
    // Test hook: every creation fails while set.
    void SetCreationFails(bool fails);

    // Called by the accessors.
    void Note(const QString& call, int liveDelta);

private:
    class Private;
    Private* d;
};
