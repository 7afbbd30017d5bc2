// libFuzzer entry for the credential-record builder. Input: a filter block, a line "====", then
// the record list stored with the task. Any bytes must give a list of whole records, at most one
// per entry path, each either made from the tree's credentials (and then readable) or a stored
// record copied as it was.
#include "CCredentialRecord.h"
#include "CCredentialRecordBuilder.h"
#include "FuzzInput.h"
#include "ICredentialSource.h"

#include <cstdlib>

namespace {

// Knows the shares of servers whose names start with 'k'; has credentials for some of them.
class Tree : public ICredentialSource
{
public:
    QString ShareOfPath(const QString& path) override
    {
        const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        if (!path.startsWith(QLatin1String("\\\\")) || parts.size() < 2 || !parts[0].startsWith(QLatin1Char('k')))
            return QString();
        return QStringLiteral("\\\\%1\\%2").arg(parts[0], parts[1]);
    }
    bool Credentials(const QString& shareKey, QString* user, QString* password) override
    {
        if (shareKey.size() % 2)
            return false;
        *user = shareKey.left(40);
        *password = shareKey;
        return true;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzz::Split(data, size, 2);
    const QByteArray& block = parts[0];
    const QByteArray& stored = parts[1];
    Tree tree;
    const QByteArray list = CCredentialRecordBuilder::Build(block.constData(), size_t(block.size()), stored.constData(),
                                                            size_t(stored.size()), &tree);
    const QList<QByteArray> records = CCredentialRecord::Split(list.constData(), size_t(list.size()));
    const QList<QByteArray> old = CCredentialRecord::Split(stored.constData(), size_t(stored.size()));
    const int paths = CCredentialRecordBuilder::PathList(block.constData(), size_t(block.size())).size();
    if (size_t(list.size()) % CCredentialRecord::kSize != 0 || records.size() > paths)
        std::abort();
    for (const QByteArray& record : records) {
        CCredentialRecord decoded;
        if (!CCredentialRecord::Decode(record.constData(), size_t(record.size()), &decoded) && !old.contains(record))
            std::abort();
    }
    if (!CCredentialRecordBuilder::Build(block.constData(), size_t(block.size()), nullptr, 0, nullptr).isEmpty())
        std::abort();
    return 0;
}
