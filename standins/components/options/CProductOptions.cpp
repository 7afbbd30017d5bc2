#include "CProductOptions.h"

#include <QSettings>
#include <new>

CProductOptions::CProductOptions(const QString& path) : iniPath(path)
{
}

uint32_t CProductOptions::EnvironmentAnswer()
{
    QSettings settings(iniPath, QSettings::IniFormat);
    bool ok = false;
    const uint value = settings.value(QStringLiteral("Options/Environment"), 0).toUInt(&ok);
    return ok ? value : 0;
}

extern "C" __attribute__((visibility("default"))) int NRCreateObject(unsigned objectId, void** out)
{
    if (!out)
        return 1;
    *out = nullptr;
    if (objectId != IProductOptions::kObjectId)
        return 2;
    *out = static_cast<IProductOptions*>(new (std::nothrow) CProductOptions);
    return *out ? 0 : 3;
}
