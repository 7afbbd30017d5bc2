#pragma once
#include "IProductOptions.h"

#include <QString>

// Options of this installation, read from "./default.ini" (group "Options").
class CProductOptions : public IProductOptions
{
public:
    explicit CProductOptions(const QString& iniPath = QStringLiteral("./default.ini"));
    // "Environment" of group "Options"; 0 (a desktop session) when absent or not a number.
    uint32_t EnvironmentAnswer() override;

private:
    QString iniPath;
};
