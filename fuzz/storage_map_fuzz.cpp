// libFuzzer entry for the storage map. Input: default.ini text, a line "====", a mount table, a
// line "====", then Windows paths, one a line. Any text must load without a fault, and a path the
// map accepts must come out inside the directory of the drive or share it lies on: no ".." step
// and no byte the file system would cut the path at.
#include "CStorageMap.h"
#include "FuzzInput.h"

#include <cstdlib>

namespace {

bool inside(const QByteArray& local, const QByteArray& dir)
{
    if (dir.isEmpty() || !local.startsWith(dir))
        return false;
    const QByteArray rest = local.mid(dir.size());
    if (!rest.isEmpty() && !rest.startsWith('/') && !dir.endsWith('/'))
        return false;
    for (const QByteArray& part : rest.split('/'))
        if (part == "..")
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzz::Split(data, size, 3);
    CStorageMap map;
    map.Load(fuzz::ScratchFile(QStringLiteral("default.ini"), parts[0]), fuzz::ScratchFile(QStringLiteral("mounts"), parts[1]));
    QList<QByteArray> dirs;
    for (const CStorageMap::Drive& d : map.Drives())
        dirs.append(d.dir);
    for (const CStorageMap::Share& s : map.Shares())
        dirs.append(s.dir);
    (void)map.Hosts();
    for (const CStorageMap::NasDevice& nas : map.NasDevices())
        (void)map.SharesOfNas(nas.name);
    for (const QByteArray& line : parts[2].split('\n')) {
        const QString path = QString::fromUtf8(line.constData(), line.size());
        (void)map.ShareBehind(path);
        (void)map.TranslateMappedDrive(path);
        (void)map.NasToUnc(path);
        QByteArray local;
        if (map.ToLocal(path, &local) != 0)
            continue;
        bool covered = false;
        for (const QByteArray& dir : qAsConst(dirs))
            covered = covered || inside(local, dir);
        if (!covered || local.contains('\0'))
            std::abort();
        (void)map.ToWindows(local);
    }
    return 0;
}
