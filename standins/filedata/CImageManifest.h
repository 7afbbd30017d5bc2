#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>

struct archive;

// The small member a backup image starts with: the GUID of the task that wrote it, when it was
// written and the description of its sources. JSON, docs/demo-host.md has the fields. It is the
// image's first member, so reading it costs one header whatever the image's size; the image index
// leaves it out of the tree, and images without it open all the same.
class CImageManifest
{
public:
    static constexpr const char* kMemberName = ".image-manifest.json";
    // Larger manifests are not ours: they are read as ordinary members.
    static constexpr int kMaxBytes = 64 * 1024;
    static constexpr int kVersion = 1;

    QByteArray guid; // 16 bytes
    QDateTime time;  // UTC, to the second
    QString source;

    // Whether an archive member path is the manifest's (only the image's first member counts).
    static bool IsManifestPath(const char* path);

    // Reads the manifest of an image; false when the image has none, cannot be read, or holds one
    // that is malformed (the fields are then left as they were).
    bool Read(const QString& imagePath);
    // Writes the manifest as the next member of an archive being written.
    bool Write(archive* a) const;

    QByteArray ToJson() const;
    // False (fields unchanged) for anything but an object of this version with a 16-byte GUID.
    bool FromJson(const QByteArray& json);
};
