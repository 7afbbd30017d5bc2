#pragma once
#include "CFileSystemModel.h"
#include "CFilterBlock.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>

class CFileSystemModel;

// Turns a model's selection into a "FLTR" block and a block back into the model's check map.
//
// Export: the include entries in the check map's (ordered) path order, each followed by its
// exclusions; names, kinds and the exact case of paths come from the live nodes, or, for paths
// not loaded, from the block that put them there, so export -> apply -> export is byte-exact.
// Apply: the block is validated as a whole first; then the selection is cleared and the
// entries are set in path order (the deepest rule for a path wins). Paths need not be loaded:
// each entry goes through a short-lived stand-in node hung below an anchor that stops the
// model's upward propagation, so nothing but the check map changes.
class CSelectionFilter : public QObject
{
    Q_OBJECT
public:
    // Refusals beyond the block reader's own.
    static constexpr uint32_t kErrNoModel = NRResult::Make(0x750, NRResult::kErrMissingObject);
    static constexpr uint32_t kErrFileTypes = NRResult::Make(0x751, NRResult::kErrUnsupported);
    static constexpr uint32_t kErrEmptyPath = NRResult::Make(0x752, 0xD);
    static constexpr uint32_t kErrOwnerNotAncestor = NRResult::Make(0x753, 0xD);
    static constexpr uint32_t kErrDuplicatePath = NRResult::Make(0x754, 0xD);
    static constexpr uint32_t kErrNoAnchor = NRResult::Make(0x755, NRResult::kErrNoMemory);

    explicit CSelectionFilter(CFileSystemModel* model, QObject* parent = nullptr);
    ~CSelectionFilter() override;

    // The block of the current selection (header only when nothing is selected).
    uint32_t Export(QByteArray* out);
    // Validates and applies; on any refusal the model is left as it was.
    uint32_t Apply(const void* block, size_t size);
    // Clears the whole selection.
    void Clear();

    // The check map's key of a path: upper case, through UTF-8 as the model keeps it.
    static QString KeyOf(const QString& path);
    // True when path (upper case) and ancestor (upper case) are the same or ancestor lies above.
    static bool IsAncestorOrSelf(const QString& ancestor, const QString& path);

private slots:
    void OnGetNodePath(NodeIndex node, QByteArray& path);

private:
    struct Known
    {
        QString name;
        QString path;
        uint8_t kind = 0;
    };
    uint32_t SetPath(const QString& path, bool checked, bool folder);
    void Describe(const QString& key, NodeIndex id, bool isDir, QString* name, QString* path, uint8_t* kind) const;

    QPointer<CFileSystemModel> m_model;
    NodeIndex m_anchor = 0;
    // Stand-in node -> the path it answers while an entry is applied.
    QHash<NodeIndex, QByteArray> m_standIns;
    // Upper-case path -> what the block that set it said about it.
    QHash<QString, Known> m_known;
};
