#pragma once
#include "CGetDataCommon.h"
#include "NRFileBrowserPara.h"

#include <QSharedPointer>
#include <QString>

#include <mutex>

class CImageIndex;

// The data source of a backup image: the image (any archive the image index reads) is indexed
// once on a worker, then its tree is served to the model in batches like the local source.
// A corrupt or truncated image ends the root's loading with the index's code and an empty tree.
class CGetImgFileData : public CGetDataCommon
{
    Q_OBJECT
public:
    static constexpr uint32_t kErrNoImage = NRResult::Make(0x760, NRResult::kErrInvalidArg);
    static constexpr uint32_t kErrNotIndexed = NRResult::Make(0x761, NRResult::kErrMissingObject);
    static constexpr uint32_t kErrNotInImage = NRResult::Make(0x762, 3);

    explicit CGetImgFileData(const _CFileBrowserPara* para, QObject* parent = nullptr);
    ~CGetImgFileData() override;

    QString ImagePath() const { return m_imagePath; }
    void Expand(NodeIndex node) override;
    uint32_t CheckNetworkPath(const QString& path, bool mapped) override;

    // The index of an image, built on the calling thread when no live one exists; every source
    // over the same image shares it. Null (with the code in *err) when the image cannot be read.
    static QSharedPointer<const CImageIndex> SharedIndex(const QString& imagePath, const std::atomic_bool& cancel,
                                                         uint32_t* err);

protected:
    void SendRoots() override;

private:
    // Sends the children of an index entry below a model node.
    void SendEntries(NodeIndex node, const CImageIndex& index, uint32_t entry);

    QString m_imagePath;
    std::mutex m_indexMutex; // guards the two below (set by the indexing worker)
    QSharedPointer<const CImageIndex> m_index;
    uint32_t m_indexErr = 0;
};
