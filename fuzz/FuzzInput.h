#pragma once
// Pieces the fuzz entries share: one input split into the several texts a reader takes, and a
// scratch file for readers that take a path.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

#include <unistd.h>

namespace fuzz {

// The parts of an input separated by lines "====" (seeds stay readable text); at most `parts`
// of them, the last taking the rest.
inline QList<QByteArray> Split(const uint8_t* data, size_t size, int parts)
{
    const QByteArray all(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const QByteArray marker("\n====\n");
    QList<QByteArray> out;
    int from = 0;
    while (out.size() < parts - 1) {
        const int at = all.indexOf(marker, from);
        if (at < 0)
            break;
        out.append(all.mid(from, at - from));
        from = at + marker.size();
    }
    out.append(all.mid(from));
    while (out.size() < parts)
        out.append(QByteArray());
    return out;
}

// A file of this process that holds `bytes`; `name` tells apart the files of one input.
inline QString ScratchFile(const QString& name, const QByteArray& bytes)
{
    // Gone again when the process ends normally.
    static const struct Dir
    {
        QString path = QDir::temp().filePath(QStringLiteral("nr-fuzz-%1").arg(::getpid()));
        Dir() { QDir().mkpath(path); }
        ~Dir() { QDir(path).removeRecursively(); }
    } dir;
    const QString path = dir.path + QLatin1Char('/') + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

} // namespace fuzz
