#include "CPathKey.h"

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

bool isFolded(const QString& path)
{
    if (path.size() >= 2 && isSeparator(path.at(0)) && isSeparator(path.at(1)))
        return true;
    return path.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive);
}

} // namespace

bool CPathKey::IsCaseSensitive(const QString& path)
{
    return !isFolded(path);
}

QString CPathKey::Of(const QString& path)
{
    if (isFolded(path))
        return path.toUpper();
    const bool drive = path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter()
                       && (path.size() == 2 || isSeparator(path.at(2)));
    if (!drive || path.at(0).isUpper())
        return path;
    QString key = path;
    key[0] = key.at(0).toUpper();
    return key;
}

QString CPathKey::Child(const QString& parentKey, const QString& name)
{
    if (parentKey.isEmpty())
        return Of(name);
    return parentKey + QLatin1Char('\\') + (isFolded(parentKey) ? name.toUpper() : name);
}

bool CPathKey::IsServerLevel(const QString& key)
{
    QString p = key;
    if (!p.endsWith(QLatin1Char('\\')))
        p += QLatin1Char('\\');
    if (!p.startsWith(QLatin1String("\\\\")) && !p.startsWith(QLatin1String("NAS:"), Qt::CaseInsensitive))
        return false;
    return p.count(QLatin1Char('\\')) == 3;
}
