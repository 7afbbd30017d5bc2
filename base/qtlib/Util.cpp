#include "Util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// QSettings keeps keys of an empty group at the top of the file (its "General" section).
// Reads file into settings (as UTF-8 when asked) and enters section; false when the file cannot
// be parsed (writing it back would replace it with what little was read).
bool openSection(QSettings& settings, const QString& section, bool utf8)
{
    if (utf8)
        settings.setIniCodec("UTF-8");
    if (settings.status() != QSettings::NoError)
        return false;
    if (!section.isEmpty())
        settings.beginGroup(section);
    return true;
}

} // namespace

namespace Util {

QString getResFullPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    // Qt resources and absolute paths are already full.
    if (path.startsWith(QLatin1Char(':')) || QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);

    const QString fromCwd = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (QFileInfo::exists(fromCwd))
        return fromCwd;
    if (QCoreApplication::instance()) {
        const QString fromApp = QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(path));
        if (QFileInfo::exists(fromApp))
            return fromApp;
    }
    // Nothing found: the working-directory form, so callers still get a full path to report.
    return fromCwd;
}

bool readIni(const QString& key, const QString& section, QVariant& value, const QString& file, bool utf8)
{
    if (key.isEmpty() || file.isEmpty() || !QFileInfo(file).isFile())
        return false;
    QSettings settings(file, QSettings::IniFormat);
    if (!openSection(settings, section, utf8))
        return false;
    if (!settings.contains(key))
        return false;
    value = settings.value(key);
    return true;
}

bool writerIni(const QString& key, const QString& section, const QVariant& value, const QString& file, bool utf8)
{
    if (key.isEmpty() || file.isEmpty())
        return false;
    QSettings settings(file, QSettings::IniFormat);
    if (!openSection(settings, section, utf8))
        return false;
    settings.setValue(key, value);
    if (!section.isEmpty())
        settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace Util
