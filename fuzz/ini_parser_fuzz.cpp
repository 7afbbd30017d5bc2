// libFuzzer entry for the INI parser. Input: INI text, a line "====", then "group/key" lines to
// ask for. Every accessor answers without a fault and keeps its promises, and a text written
// reads back as it was written.
#include "CKWIniParser.h"
#include "FuzzInput.h"

#include <QFile>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Qt's settings cache a file by its name and notice a change by time and size: every input
    // gets a name of its own.
    static int serial = 0;
    const QList<QByteArray> parts = fuzz::Split(data, size, 2);
    const QString path = fuzz::ScratchFile(QStringLiteral("ini-%1.ini").arg(++serial), parts[0]);
    {
        CKWIniParser ini(path);
        for (const QByteArray& line : parts[1].split('\n')) {
            const int slash = line.indexOf('/');
            const QString group = QString::fromUtf8(line.left(qMax(slash, 0)));
            const QString key = QString::fromUtf8(line.mid(slash + 1));
            (void)ini.GetBool(key, group);
            (void)ini.GetString(key, group);
            (void)ini.GetStringList(key, group);
            (void)ini.GetInt(key, group, 7);
            (void)ini.HasGroup(group);
            (void)ini.HasKey(key, group);
            (void)ini.ChildKeys(group);
            int x = 0, y = 0, w = -1, h = -1;
            if (ini.GetSize(key, &w, &h, group) == 0 && (w < 0 || h < 0))
                std::abort();
            w = h = -1;
            if (ini.GetRect(key, &x, &y, &w, &h, group) == 0 && (w < 0 || h < 0))
                std::abort();
        }
        const QString value = QString::fromUtf8(parts[1]);
        if (ini.SetString(QStringLiteral("value"), value, QStringLiteral("Fuzz")) &&
            ini.GetString(QStringLiteral("value"), QStringLiteral("Fuzz")) != value)
            std::abort();
    }
    QFile::remove(path);
    return 0;
}
