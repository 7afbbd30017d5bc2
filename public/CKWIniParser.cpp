#include "CKWIniParser.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>
#include <QSize>
#include <QVariant>

#include <memory>

class CKWIniParser::Private
{
public:
    mutable QMutex mutex;
    QString path;
    std::unique_ptr<QSettings> settings;

    void open()
    {
        settings.reset(new QSettings(path, QSettings::IniFormat));
        settings->setIniCodec("UTF-8");
    }

    QVariant value(const QString& key, const QString& group) const
    {
        if (key.isEmpty() || group.isNull())
            return QVariant();
        QMutexLocker lock(&mutex);
        settings->beginGroup(group);
        QVariant v = settings->value(key);
        settings->endGroup();
        return v;
    }

    bool write(const QString& key, const QVariant& v, const QString& group)
    {
        if (key.isEmpty() || group.isNull())
            return false;
        QMutexLocker lock(&mutex);
        settings->beginGroup(group);
        settings->setValue(key, v);
        settings->endGroup();
        settings->sync();
        return settings->status() == QSettings::NoError;
    }
};

namespace {

// Numbers of a size or rectangle written by hand: "1,2" is read as a list, "1 2" as one text.
bool numbersOf(const QVariant& v, int wanted, int* out)
{
    QStringList parts;
    if (v.type() == QVariant::StringList)
        parts = v.toStringList();
    else if (v.type() == QVariant::String)
        parts = v.toString().split(QRegularExpression(QStringLiteral("[\\s,xX]+")), Qt::SkipEmptyParts);
    else
        return false;
    if (parts.size() != wanted)
        return false;
    for (int i = 0; i < wanted; ++i) {
        bool ok = false;
        out[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

CKWIniParser::CKWIniParser(const QString& path) : d(new Private)
{
    d->path = path;
    d->open();
}

CKWIniParser::~CKWIniParser() = default;

QString CKWIniParser::FilePath() const
{
    QMutexLocker lock(&d->mutex);
    return d->path;
}

bool CKWIniParser::FileExists() const
{
    return QFileInfo::exists(FilePath());
}

void CKWIniParser::Reload(const QString& path)
{
    QMutexLocker lock(&d->mutex);
    if (!path.isEmpty())
        d->path = path;
    d->open();
}

bool CKWIniParser::GetBool(const QString& key, const QString& group) const
{
    const QVariant v = d->value(key, group);
    if (!v.isValid())
        return false;
    return v.toBool();
}

QString CKWIniParser::GetString(const QString& key, const QString& group) const
{
    const QVariant v = d->value(key, group);
    // An unquoted value with commas comes back as a list: give the text as it stands in the file.
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

QStringList CKWIniParser::GetStringList(const QString& key, const QString& group) const
{
    const QVariant v = d->value(key, group);
    if (!v.isValid())
        return QStringList();
    if (v.type() == QVariant::String && v.toString().isEmpty())
        return QStringList();
    return v.toStringList();
}

int CKWIniParser::GetInt(const QString& key, const QString& group, int defaultValue) const
{
    const QVariant v = d->value(key, group);
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : defaultValue;
}

int CKWIniParser::GetSize(const QString& key, int* width, int* height, const QString& group) const
{
    const QVariant v = d->value(key, group);
    int n[2] = {0, 0};
    if (v.type() == QVariant::Size) {
        n[0] = v.toSize().width();
        n[1] = v.toSize().height();
    } else if (!numbersOf(v, 2, n)) {
        return -1;
    }
    if (n[0] < 0 || n[1] < 0)
        return -1;
    if (width)
        *width = n[0];
    if (height)
        *height = n[1];
    return 0;
}

int CKWIniParser::GetRect(const QString& key, int* x, int* y, int* width, int* height, const QString& group) const
{
    const QVariant v = d->value(key, group);
    int n[4] = {0, 0, 0, 0};
    if (v.type() == QVariant::Rect) {
        const QRect r = v.toRect();
        n[0] = r.x();
        n[1] = r.y();
        n[2] = r.width();
        n[3] = r.height();
    } else if (!numbersOf(v, 4, n)) {
        return -1;
    }
    if (n[2] < 0 || n[3] < 0)
        return -1;
    int* outs[4] = {x, y, width, height};
    for (int i = 0; i < 4; ++i)
        if (outs[i])
            *outs[i] = n[i];
    return 0;
}

bool CKWIniParser::SetBool(const QString& key, bool value, const QString& group)
{
    return d->write(key, value, group);
}

bool CKWIniParser::SetInt(const QString& key, int value, const QString& group)
{
    return d->write(key, value, group);
}

bool CKWIniParser::SetString(const QString& key, const QString& value, const QString& group)
{
    return d->write(key, value, group);
}

bool CKWIniParser::SetIntList(const QString& key, const int* values, int count, QChar separator, const QString& group)
{
    QString text;
    for (int i = 0; values && i < count; ++i) {
        text += QString::number(values[i]);
        text += separator;
    }
    return d->write(key, text, group);
}

bool CKWIniParser::HasGroup(const QString& group) const
{
    if (group.isEmpty())
        return false;
    QMutexLocker lock(&d->mutex);
    return d->settings->childGroups().contains(group);
}

bool CKWIniParser::HasKey(const QString& key, const QString& group) const
{
    if (key.isEmpty() || group.isNull())
        return false;
    QMutexLocker lock(&d->mutex);
    d->settings->beginGroup(group);
    const bool found = d->settings->contains(key);
    d->settings->endGroup();
    return found;
}

QStringList CKWIniParser::ChildKeys(const QString& group) const
{
    if (group.isNull())
        return QStringList();
    QMutexLocker lock(&d->mutex);
    d->settings->beginGroup(group);
    const QStringList keys = d->settings->childKeys();
    d->settings->endGroup();
    return keys;
}
