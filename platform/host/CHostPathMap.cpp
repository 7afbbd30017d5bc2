#include "CHostPathMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {

// The parts after the location root; empty parts (doubled separators) are dropped, while "." and
// ".." are refused: a mapped root must not be left through its own path.
bool splitRest(const QString& rest, QStringList* parts)
{
    static const QRegularExpression sep(QStringLiteral("[\\\\/]"));
    const QStringList raw = rest.split(sep, Qt::SkipEmptyParts);
    for (const QString& p : raw) {
        if (p == QLatin1String(".") || p == QLatin1String("..") || p.contains(QChar(0)))
            return false;
    }
    *parts = raw;
    return true;
}

QString joined(const QString& root, const QStringList& parts)
{
    QString out = root;
    for (const QString& p : parts) {
        if (!out.endsWith(QLatin1Char('/')))
            out += QLatin1Char('/');
        out += p;
    }
    return out;
}

// /proc/mounts escapes blanks and a few other bytes as \ooo.
QString unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int v = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QString::fromUtf8(out);
}

} // namespace

CHostPathMap::CHostPathMap(const QString& iniPath, const QString& mountsPath)
    : m_iniPath(iniPath), m_mountsPath(mountsPath)
{
}

CHostPathMap::Outcome CHostPathMap::Map(const QString& path, QString* directory) const
{
    QString root;
    QString rest;
    if (path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].unicode() < 128 && path[0].isLetter()) {
        rest = path.mid(2);
        if (!rest.isEmpty() && rest[0] != QLatin1Char('\\') && rest[0] != QLatin1Char('/'))
            return BadPath; // "C:dir" is relative to a drive's current folder
        root = driveRoot(path[0]);
    } else {
        QString server;
        QString tail;
        if (path.startsWith(QLatin1String("NAS://"), Qt::CaseInsensitive)
            || path.startsWith(QLatin1String("NAS:\\\\"), Qt::CaseInsensitive)) {
            const QString afterPrefix = path.mid(6);
            const int cut = afterPrefix.indexOf(QRegularExpression(QStringLiteral("[\\\\/]")));
            const QString device = cut < 0 ? afterPrefix : afterPrefix.left(cut);
            if (device.isEmpty())
                return BadPath;
            server = nasServer(device);
            if (server.isEmpty())
                return LocationMissing;
            tail = cut < 0 ? QString() : afterPrefix.mid(cut);
        } else if (path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//"))) {
            if (path.size() > 2 && (path[2] == QLatin1Char('.') || path[2] == QLatin1Char('?')))
                return BadPath; // device namespace
            const QString afterPrefix = path.mid(2);
            const int cut = afterPrefix.indexOf(QRegularExpression(QStringLiteral("[\\\\/]")));
            server = cut < 0 ? afterPrefix : afterPrefix.left(cut);
            tail = cut < 0 ? QString() : afterPrefix.mid(cut);
            if (server.isEmpty())
                return BadPath;
        } else {
            return BadPath;
        }
        QStringList parts;
        if (!splitRest(tail, &parts) || parts.isEmpty())
            return BadPath; // a server alone is not a folder
        const QString share = parts.takeFirst();
        root = shareRoot(server, share);
        if (root.isEmpty())
            return LocationMissing;
        rest = parts.join(QLatin1Char('/'));
    }
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return LocationMissing;
    QStringList parts;
    if (!splitRest(rest, &parts))
        return BadPath;
    *directory = joined(root, parts);
    return Mapped;
}

QString CHostPathMap::driveRoot(QChar letter) const
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Drives"));
    const QStringList keys = ini.childKeys();
    for (const QString& key : keys) {
        if (key.compare(QString(letter), Qt::CaseInsensitive) == 0)
            return ini.value(key).toString().trimmed();
    }
    return letter.toUpper() == QLatin1Char('C') ? QStringLiteral("/") : QString();
}

QString CHostPathMap::shareRoot(const QString& server, const QString& share) const
{
    const QString wanted = server + QLatin1Char('/') + share;
    {
        QSettings ini(m_iniPath, QSettings::IniFormat);
        ini.beginGroup(QStringLiteral("Network"));
        const QStringList keys = ini.allKeys(); // "server\share" in the file reads as "server/share"
        for (const QString& key : keys) {
            if (key.compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            const QVariant v = ini.value(key);
            const QString dir = v.type() == QVariant::StringList ? v.toStringList().value(0) : v.toString();
            return dir.trimmed();
        }
    }
    QFile mounts(m_mountsPath);
    if (!mounts.open(QIODevice::ReadOnly))
        return QString();
    const QString unc = QStringLiteral("//") + wanted;
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3 || (f[2] != "cifs" && f[2] != "smb3"))
            continue;
        if (unescapeMountField(f[0]).compare(unc, Qt::CaseInsensitive) == 0)
            return unescapeMountField(f[1]);
    }
    return QString();
}

QString CHostPathMap::nasServer(const QString& device) const
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("NAS"));
    const QStringList keys = ini.childKeys();
    for (const QString& key : keys) {
        if (key.compare(device, Qt::CaseInsensitive) != 0)
            continue;
        QString server = ini.value(key).toString().trimmed();
        while (server.startsWith(QLatin1Char('/')) || server.startsWith(QLatin1Char('\\')))
            server.remove(0, 1);
        const int cut = server.indexOf(QRegularExpression(QStringLiteral("[\\\\/]")));
        return cut < 0 ? server : server.left(cut);
    }
    return QString();
}
