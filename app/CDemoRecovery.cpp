#include "CDemoRecovery.h"

#include "CFilterBlock.h"
#include "CHostTaskData.h"
#include "CMsgBox.h"
#include "CSearchSelection.h"
#include "CUIManager.h"
#include "IMsgHub.h"

#include <QFileInfo>
#include <QUuid>

namespace {

constexpr uint32_t kMsgHasSelection = 4675;
// Names of image files in the GUIDs this host makes (a fixed namespace, so they never change).
const QUuid kImageNamespace(QStringLiteral("{6f0c9a52-1e7b-4d0e-9a39-5c2f3b8d7e41}"));

} // namespace

CDemoRecovery::CDemoRecovery(const CDemoOptions& options, std::shared_ptr<CHostTaskData> data, QTextStream& out)
    : m_data(std::move(data)), m_out(out), m_autoAnswer(options.autoCommit)
{
    m_data->imageGuid = ImageGuid(options.imagePath);
    if (!options.imagePath.isEmpty())
        m_out << "Image " << options.imagePath << " GUID "
              << QUuid::fromRfc4122(m_data->imageGuid).toString(QUuid::WithBraces) << Qt::endl;
    if (IMsgHub* hub = CUIManager::Instance()->GetHub())
        hub->SubscribeMsg(kMsgHasSelection, &CDemoRecovery::OnHubMessage, this);
    if (m_autoAnswer) {
        QPointer<CDemoRecovery> self(this);
        CMsgBox::SetAutoAnswer([self](const CMsgBox::Record& r) {
            if (!self)
                return int(CMsgBox::Ok);
            self->m_out << "Message: " << r.text;
            if (!r.codeText.isEmpty())
                self->m_out << " " << r.codeText;
            if (!r.extra.isEmpty())
                self->m_out << " (" << r.extra.join(QStringLiteral(", ")).replace(QLatin1Char('\n'), QLatin1Char(' '))
                            << ")";
            self->m_out << Qt::endl;
            self->loaded();
            return int(CMsgBox::Ok);
        });
    }
}

CDemoRecovery::~CDemoRecovery()
{
    if (IMsgHub* hub = CUIManager::Instance()->GetHub())
        hub->Unsubscribe(kMsgHasSelection, this);
    if (m_autoAnswer)
        CMsgBox::SetAutoAnswer(nullptr);
}

bool CDemoRecovery::IsRecoveryPage(uint64_t pageId)
{
    return pageId == 39 || pageId == 40 || pageId == 41;
}

QByteArray CDemoRecovery::ImageGuid(const QString& imagePath)
{
    if (imagePath.isEmpty())
        return QByteArray(16, '\0');
    const QString canonical = QFileInfo(imagePath).canonicalFilePath();
    return QUuid::createUuidV5(kImageNamespace, canonical.isEmpty() ? imagePath : canonical).toRfc4122();
}

int64_t CDemoRecovery::OnHubMessage(NRDeliveryRecord* record, void* self)
{
    // The page ticks the image's root once its first level is in: the image is loaded.
    if (record && record->length == 1 && *static_cast<const uint8_t*>(record->payload) == 1)
        static_cast<CDemoRecovery*>(self)->loaded();
    return 0;
}

void CDemoRecovery::loaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    emit DoLoaded();
}

void CDemoRecovery::WhenLoaded(QObject* receiver, const char* slot)
{
    // Queued: the page is in the middle of its own work when it says so.
    connect(this, SIGNAL(DoLoaded()), receiver, slot, Qt::QueuedConnection);
    if (m_loaded)
        QMetaObject::invokeMethod(this, "DoLoaded", Qt::QueuedConnection);
}

void CDemoRecovery::Report()
{
    for (; m_reportedSelections < m_data->searchSelections.size(); ++m_reportedSelections) {
        const QByteArray& bytes = m_data->searchSelections.at(m_reportedSelections);
        QVector<CSearchSelection::Item> items;
        CSearchSelection::Read(bytes.constData(), size_t(bytes.size()), &items);
        m_out << "Search selection: " << items.size() << " item(s)" << Qt::endl;
    }
    for (; m_reportedFilters < m_data->filters.size(); ++m_reportedFilters) {
        const QByteArray& bytes = m_data->filters.at(m_reportedFilters);
        CFilterBlock block;
        const uint32_t r = block.Parse(bytes.constData(), size_t(bytes.size()));
        if (r != 0) {
            m_out << "Filter block refused: 0x" << QString::number(r, 16).toUpper() << Qt::endl;
            continue;
        }
        m_out << "To restore: " << block.Count() << " entr" << (block.Count() == 1 ? "y" : "ies") << Qt::endl;
        for (const CFilterBlock::Entry& e : block.Entries())
            m_out << (e.IsExclusion() ? "  except " : "  ") << (e.IsFolder() ? "folder " : "file   ") << e.path
                  << Qt::endl;
    }
}
