#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>

// The demo host's command line.
class CDemoOptions
{
public:
    // Parses the arguments (program name first). False with `error` set when they make no sense.
    bool Parse(const QStringList& arguments, QString* error);
    static QString HelpText();

    bool help = false;
    uint64_t pageId = 8;
    QString imagePath;
    QString taskFile;
    bool autoCommit = false;
};
