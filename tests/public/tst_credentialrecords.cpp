#include "CCredentialRecord.h"
#include "CCredentialRecordBuilder.h"
#include "CFilterBlock.h"
#include "CLibLoader.h"
#include "ICredentialSource.h"

#include <QtTest>

namespace {

// A tree that knows some shares (by path prefix) and the credentials of some share keys, and
// records what it was asked.
class FakeTree : public ICredentialSource
{
public:
    QMap<QString, QString> shares;            // path prefix -> share
    QMap<QString, QPair<QString, QString>> credentials; // share key -> user, password
    QStringList askedShare, askedCredentials;

    QString ShareOfPath(const QString& path) override
    {
        askedShare << path;
        for (auto it = shares.constBegin(); it != shares.constEnd(); ++it)
            if (path.startsWith(it.key(), Qt::CaseInsensitive))
                return it.value();
        return QString();
    }
    bool Credentials(const QString& key, QString* user, QString* password) override
    {
        askedCredentials << key;
        if (!credentials.contains(key))
            return false;
        *user = credentials[key].first;
        *password = credentials[key].second;
        return true;
    }
};

QByteArray blockOf(const QStringList& paths)
{
    CFilterBlock block;
    for (const QString& p : paths)
        block.AppendInclude(p.section(QLatin1Char('\\'), -1), p, true, true, 0);
    return block.ToByteArray();
}

QList<CCredentialRecord> decodeAll(const QByteArray& list)
{
    QList<CCredentialRecord> out;
    for (const QByteArray& raw : CCredentialRecord::Split(list.constData(), static_cast<size_t>(list.size()))) {
        CCredentialRecord r;
        if (CCredentialRecord::Decode(raw.constData(), static_cast<size_t>(raw.size()), &r))
            out << r;
    }
    return out;
}

QByteArray build(const QByteArray& block, const QByteArray& old, ICredentialSource* tree)
{
    return CCredentialRecordBuilder::Build(block.constData(), static_cast<size_t>(block.size()),
                                           old.isEmpty() ? nullptr : old.constData(), static_cast<size_t>(old.size()), tree);
}

} // namespace

class TestCredentialRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // These cases are about the component being absent.
        CLibLoader::SetHiddenLibraries({QStringLiteral("FileStorage")});
    }

    void recordLayout()
    {
        const CCredentialRecord r(QStringLiteral("\\\\srv\\pub\\"), QStringLiteral("J\u00f6rg"), QStringLiteral("p\u00e4ss"));
        const QByteArray raw = r.Encode();
        QCOMPARE(raw.size(), 1128);
        QCOMPARE(raw.mid(544, 10), QByteArray("J\0\xf6\0r\0g\0\0\0", 10));
        QCOMPARE(raw.mid(544 + 8), QByteArray(64 - 8, '\0') + raw.mid(608)); // zero after the user
        QCOMPARE(raw.mid(608 + 10), QByteArray(520 - 10, '\0'));
        CCredentialRecord back;
        QVERIFY(CCredentialRecord::Decode(raw.constData(), 1128, &back));
        QCOMPARE(back, r);
        QVERIFY(!CCredentialRecord::Decode(raw.constData(), 1127, &back));
    }

    void longTextsAreCutToTheirFields()
    {
        // The 31st user character is the high half of a pair: it goes rather than being split.
        const QString user = QString(30, QLatin1Char('u')) + QStringLiteral("\U0001F600");
        const CCredentialRecord r(QString(300, QLatin1Char('s')), user, QString(400, QLatin1Char('p')));
        CCredentialRecord back;
        const QByteArray raw = r.Encode();
        QVERIFY(CCredentialRecord::Decode(raw.constData(), 1128, &back));
        QCOMPARE(back.share, QString(271, QLatin1Char('s')));
        QCOMPARE(back.user, QString(30, QLatin1Char('u')));
        QCOMPARE(back.password, QString(259, QLatin1Char('p')));
    }

    void readerStaysInsideTheRecord()
    {
        QByteArray raw(1128, 'A'); // no terminator anywhere
        CCredentialRecord back;
        QVERIFY(!CCredentialRecord::Decode(raw.constData(), 1128, &back));
        QCOMPARE(CCredentialRecord::ShareOf(raw.constData()).size(), 272);
    }

    void twoFoldersOnOneShareGiveTwoEqualRecords()
    {
        FakeTree tree;
        tree.shares[QStringLiteral("\\\\srv\\pub")] = QStringLiteral("\\\\srv\\pub");
        tree.credentials[QStringLiteral("\\\\srv\\pub\\")] = {QStringLiteral("alice"), QStringLiteral("s3cret")};
        const QByteArray list = build(blockOf({"\\\\srv\\pub\\a", "C:\\local", "\\\\srv\\pub\\b"}), QByteArray(), &tree);
        QCOMPARE(list.size(), 2 * 1128);
        const QList<CCredentialRecord> records = decodeAll(list);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0], CCredentialRecord(QStringLiteral("\\\\srv\\pub"), QStringLiteral("alice"), QStringLiteral("s3cret")));
        QCOMPARE(records[1], records[0]);
        QCOMPARE(tree.askedCredentials, QStringList({"\\\\srv\\pub\\", "\\\\srv\\pub\\"}));
        // Walked in reverse entry order.
        QCOMPARE(tree.askedShare.first(), QStringLiteral("\\\\srv\\pub\\b"));
    }

    void storedRecordIsCarriedOver()
    {
        FakeTree tree; // knows nothing any more
        const QByteArray stored = CCredentialRecord(QStringLiteral("\\\\old\\pub\\"), QStringLiteral("bob"), QStringLiteral("pw")).Encode();
        const QByteArray exact = CCredentialRecord(QStringLiteral("\\\\other\\s"), QStringLiteral("carol"), QStringLiteral("pw2")).Encode();
        const QByteArray unrelated = CCredentialRecord(QStringLiteral("\\\\old\\public\\"), QStringLiteral("eve"), QString()).Encode();
        const QByteArray empty = CCredentialRecord(QString(), QStringLiteral("mallory"), QString()).Encode();
        const QByteArray old = empty + unrelated + stored + exact + QByteArray(100, '\7'); // a torn tail is ignored

        const QByteArray list = build(blockOf({"\\\\old\\pub\\docs\\2024", "\\\\other\\s", "\\\\gone\\x"}), old, &tree);
        QCOMPARE(list.size(), 2 * 1128);
        QCOMPARE(list.left(1128), exact);   // byte for byte
        QCOMPARE(list.mid(1128), stored);   // the folder lies inside the stored share
    }

    void nasWithoutStorageComponent()
    {
        QVERIFY(CLibLoader::Locate(QStringLiteral("FileStorage")).isEmpty());
        QCOMPARE(CCredentialRecordBuilder::PhysicalPath(QStringLiteral("nas://box/share/dir")), QStringLiteral("\\\\box/share/dir"));
        QCOMPARE(CCredentialRecordBuilder::PhysicalPath(QStringLiteral("NAS:\\\\box\\share")), QStringLiteral("\\\\box\\share"));
        QCOMPARE(CCredentialRecordBuilder::PhysicalPath(QStringLiteral("C:\\x")), QStringLiteral("C:\\x"));

        FakeTree tree;
        tree.credentials[QStringLiteral("\\\\box/share/dir\\")] = {QStringLiteral("admin"), QStringLiteral("nas")};
        const QList<CCredentialRecord> records = decodeAll(build(blockOf({"NAS://box/share/dir"}), QByteArray(), &tree));
        QCOMPARE(tree.askedShare, QStringList({"\\\\box/share/dir"}));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0], CCredentialRecord(QStringLiteral("\\\\box/share/dir"), QStringLiteral("admin"), QStringLiteral("nas")));
    }

    void localOrUnusableInputGivesNothing()
    {
        FakeTree tree;
        QVERIFY(build(blockOf({"C:\\Users\\a", "D:\\data"}), QByteArray(), &tree).isEmpty());
        QVERIFY(tree.askedCredentials.isEmpty());
        tree.credentials[QStringLiteral("\\\\srv\\pub\\")] = {QStringLiteral("alice"), QString()};
        QByteArray block = blockOf({"\\\\srv\\pub"});
        QVERIFY(!build(block, QByteArray(), &tree).isEmpty());
        // A block the reader refuses names no path, so it gives no record.
        block[0] = 'X';
        QVERIFY(build(block, QByteArray(), &tree).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCredentialRecords)
#include "tst_credentialrecords.moc"
