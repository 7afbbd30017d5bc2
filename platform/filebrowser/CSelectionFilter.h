#pragma once
#include "CFileSystemModel.h"
#include "CFilterBlock.h"
#include "NRResult.h"
#include "NodeKind.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class CFileSystemModel;
class QWidget;

// Turns a model's selection into a "FLTR" block and a block back into the model's check map.
//
// Export: the include entries in the check map's (ordered) path order, each followed by its
// exclusions; names, kinds and the exact case of paths come from the live nodes, or, for paths
// not loaded, from the block that put them there, so export -> apply -> export is byte-exact.
// A checked server that was never listed is exported as the shares it hands out, listed first
// (CServerShares); when it cannot be reached the export fails rather than leave it out.
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

    // The block of the current selection (header only when nothing is selected). Servers to list
    // are listed with the waiting indicator over waitParent; CServerShares::kErrUnreachable when
    // one cannot be (Unreachable() names them).
    uint32_t Export(QByteArray* out, QWidget* waitParent = nullptr);
    // How many blocks were made in this process (a test hook: a tick makes none, a commit one).
    static quint64 ExportsMade();
    // The servers the last export could not list.
    const QStringList& Unreachable() const { return m_unreachable; }
    // The path of the one whole folder the selection consists of, as Export would write it;
    // empty for any other selection. Reads the check map; makes no block.
    QString SingleFolderPath();
    // Validates and applies; on any refusal the model is left as it was.
    uint32_t Apply(const void* block, size_t size);
    // How a path of an applied block is spelled in the tree: stored and typed paths were compared
    // without case before names kept theirs, so the browser of this machine's folders takes a
    // path in another case for the one name on disk it can mean. None: paths are taken as given.
    void SetSpelling(std::function<QString(const QString&)> spell) { m_spelling = std::move(spell); }
    // Clears the whole selection.
    void Clear();

    // The check map's key of a path (CPathKey), through UTF-8 as the model keeps it.
    static QString KeyOf(const QString& path);
    // True when path and ancestor (both keys) are the same or ancestor lies above.
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
    // Key -> what the block that set it said about it.
    QHash<QString, Known> m_known;
    // Key -> a share the current export listed for its server.
    QHash<QString, Known> m_listed;
    QStringList m_unreachable;
    std::function<QString(const QString&)> m_spelling;
};
