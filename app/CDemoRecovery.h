#pragma once
#include "CDemoOptions.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTextStream>

#include <memory>

struct CHostTaskData;
struct NRDeliveryRecord;

// The demo host's side of the recovery pages (39, 40, 41): it names the image to the page with
// a GUID of the image's own, hears when the page has loaded the image (the page then ticks the
// image's root and says so with message 4675), and prints what the host received on commit.
// With --auto-commit, message boxes are answered with OK and printed, since nobody is there to
// read them; a box while the image loads means the page is done with it too.
class CDemoRecovery : public QObject
{
    Q_OBJECT
public:
    CDemoRecovery(const CDemoOptions& options, std::shared_ptr<CHostTaskData> data, QTextStream& out);
    ~CDemoRecovery() override;

    static bool IsRecoveryPage(uint64_t pageId);
    // A GUID that names the image file: the same path always gets the same one.
    static QByteArray ImageGuid(const QString& imagePath);

    // Calls receiver's slot (queued) once the page has loaded the image or told the user it
    // could not; at once when it did so already.
    void WhenLoaded(QObject* receiver, const char* slot);
    // What the host received with the last commit, printed for the user.
    void Report();

signals:
    void DoLoaded();

private:
    static int64_t OnHubMessage(NRDeliveryRecord* record, void* self);
    void loaded();

    std::shared_ptr<CHostTaskData> m_data;
    QTextStream& m_out;
    bool m_autoAnswer = false;
    bool m_loaded = false;
    int m_reportedFilters = 0;
    int m_reportedSelections = 0;
};
