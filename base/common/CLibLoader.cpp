#include "CLibLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>

#include <dlfcn.h>

namespace {

QMutex& loaderMutex()
{
    static QMutex m;
    return m;
}

QStringList& hiddenNames()
{
    static QStringList names;
    return names;
}

QString folderOfThisObject()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&folderOfThisObject), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QString();
}

} // namespace

QString CLibLoader::Locate(const QString& baseName)
{
    {
        QMutexLocker lock(&loaderMutex());
        if (hiddenNames().contains(baseName, Qt::CaseInsensitive))
            return QString();
    }
    // Every shared object links its own copy of this class, so a hook set in one of them does not
    // reach the others; the environment variable does.
    const QStringList hiddenByEnv = QString::fromLocal8Bit(qgetenv("NR_HIDDEN_LIBRARIES")).split(QLatin1Char(','));
    if (hiddenByEnv.contains(baseName, Qt::CaseInsensitive))
        return QString();
    QStringList dirs;
    const QString own = folderOfThisObject();
    if (!own.isEmpty())
        dirs << own;
    if (QCoreApplication::instance())
        dirs << QCoreApplication::applicationDirPath();
    for (const QString& dir : dirs) {
        const QString path = QDir(dir).filePath(QStringLiteral("lib%1.so").arg(baseName));
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QFunctionPointer CLibLoader::Resolve(const QString& baseName, const char* symbol)
{
    const QString path = Locate(baseName);
    if (path.isEmpty())
        return nullptr;
    QLibrary lib(path);
    if (!lib.load())
        return nullptr;
    QFunctionPointer fn = lib.resolve(symbol);
    if (!fn)
        lib.unload();
    return fn;
}

void* CLibLoader::CreateNRObject(const QString& baseName, unsigned objectId)
{
    auto factory = reinterpret_cast<NRCreateObjectFn>(Resolve(baseName, "NRCreateObject"));
    if (!factory)
        return nullptr;
    void* out = nullptr;
    if (factory(objectId, &out) != 0)
        return nullptr;
    return out;
}

void CLibLoader::SetHiddenLibraries(const QStringList& baseNames)
{
    QMutexLocker lock(&loaderMutex());
    hiddenNames() = baseNames;
}

QStringList CLibLoader::HiddenLibraries()
{
    QMutexLocker lock(&loaderMutex());
    return hiddenNames();
}
