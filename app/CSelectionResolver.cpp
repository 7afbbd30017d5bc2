#include "CSelectionResolver.h"

#include "CFilterBlock.h"
#include "CNameCodec.h"
#include "CPathKey.h"
#include "CStorageMap.h"

#include <QHash>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// Directory names in read order; "." and ".." left out.
bool listDir(const QByteArray& dir, QList<QByteArray>* names)
{
    DIR* handle = opendir(dir.constData());
    if (!handle)
        return false;
    while (dirent* e = readdir(handle)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names->append(name);
    }
    closedir(handle);
    std::sort(names->begin(), names->end());
    return true;
}

QByteArray joinLocal(const QByteArray& dir, const QByteArray& name)
{
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

} // namespace

CSelectionResolver::CSelectionResolver(const CStorageMap& map) : m_map(map) {}

QString CSelectionResolver::Key(const QString& windowsPath)
{
    QString key = windowsPath;
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    return CPathKey::Of(key);
}

uint32_t CSelectionResolver::Resolve(const QByteArray& block)
{
    CFilterBlock parsed;
    if (parsed.Parse(block.constData(), size_t(block.size())) != 0)
        return kErrBadBlock;
    return Resolve(parsed);
}

uint32_t CSelectionResolver::Resolve(const CFilterBlock& block)
{
    m_rules.clear();
    m_walked.clear();
    m_members.clear();
    m_items.clear();
    m_problems.clear();
    if (block.SelectionType() != CFilterBlock::kSelectPaths)
        return kErrNotPaths;

    const QVector<int> order = block.ApplyOrder();
    // A later rule for the very same path replaces an earlier one.
    for (int i : order) {
        const CFilterBlock::Entry& e = block.Entries().at(i);
        m_rules.insert(Key(e.path), !e.IsExclusion());
    }
    for (int i : order) {
        const CFilterBlock::Entry& e = block.Entries().at(i);
        const QString key = Key(e.path);
        if (e.IsExclusion() || !m_rules.value(key) || m_walked.contains(key))
            continue;
        QByteArray local;
        if (m_map.ToLocal(e.path, &local) != 0) {
            m_problems << QStringLiteral("cannot map %1").arg(e.path);
            continue;
        }
        QString member = e.path;
        member.replace(QLatin1Char('\\'), QLatin1Char('/'));
        while (member.endsWith(QLatin1Char('/')))
            member.chop(1);
        Walk(key, CNameCodec::EncodeText(member), local, true);
    }
    std::sort(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) { return a.member < b.member; });
    return 0;
}

void CSelectionResolver::Walk(const QString& key, const QByteArray& member, const QByteArray& local, bool isRoot)
{
    // Below the root, a rule of its own decides: an exclusion drops the subtree (includes under
    // it are roots of their own), an include was or will be walked as a root.
    if (!isRoot) {
        const auto rule = m_rules.constFind(key);
        if (rule != m_rules.constEnd() && !rule.value())
            return;
    }
    struct stat st;
    if (lstat(local.constData(), &st) != 0) {
        m_problems << QStringLiteral("cannot read %1").arg(QString::fromLocal8Bit(local));
        return;
    }
    if (S_ISLNK(st.st_mode) || S_ISREG(st.st_mode)) {
        if (!m_members.contains(member)) {
            m_members.insert(member);
            m_items.append(Item{member, local, S_ISLNK(st.st_mode)});
        }
        return;
    }
    if (!S_ISDIR(st.st_mode) || m_walked.contains(key))
        return; // devices, sockets and pipes hold no data to keep
    m_walked.insert(key);
    QList<QByteArray> names;
    if (!listDir(local, &names)) {
        m_problems << QStringLiteral("cannot list %1").arg(QString::fromLocal8Bit(local));
        return;
    }
    for (const QByteArray& name : names) {
        const QString childKey = CPathKey::Child(key, CNameCodec::DecodeName(name));
        Walk(childKey, member + '/' + name, joinLocal(local, name), false);
    }
}
