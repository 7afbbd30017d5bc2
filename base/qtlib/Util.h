#pragma once
#include <QString>
#include <QVariant>

namespace Util {
// Maps a resource path such as "../res/Foder.png" (relative to the working directory) to a full
// path; tries the working directory first, then the application's folder.
QString getResFullPath(const QString& path);
// Reads one INI value; false when the file, the section or the key is missing.
bool readIni(const QString& key, const QString& section, QVariant& value, const QString& file, bool utf8 = true);
// Writes one INI value and flushes the file; false when it cannot be written.
bool writerIni(const QString& key, const QString& section, const QVariant& value, const QString& file, bool utf8 = true);
} // namespace Util
