#include "CFileSystemModel.h"
#include "CNaturalKey.h"
#include <QRandomGenerator>
#include <QtTest>

// The natural-order sort keys must order every pair of names exactly as naturalCompare does
// whenever the keys differ; names the key cannot express must say so.
class TestNaturalKey : public QObject
{
    Q_OBJECT

    static int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

    // Fails with both names when the keys disagree with the full comparison.
    static void CheckPair(const QString& a, const QString& b)
    {
        std::vector<ushort> ka, kb;
        if (!CNaturalKey::Append(a, ka) || !CNaturalKey::Append(b, kb))
            return;
        const int byKey = CNaturalKey::Compare(ka.data(), ka.size(), kb.data(), kb.size());
        if (byKey == 0)
            return; // the caller falls back to the full comparison
        const int full = Sign(CFileSystemModel::naturalCompare(a, b, Qt::CaseInsensitive));
        QVERIFY2(full == byKey, qPrintable(QString("'%1' vs '%2': key %3, full %4").arg(a, b).arg(byKey).arg(full)));
        // The packed prefix never contradicts the whole key.
        const quint64 pa = CNaturalKey::Prefix(ka.data(), ka.size());
        const quint64 pb = CNaturalKey::Prefix(kb.data(), kb.size());
        if (pa != pb)
            QCOMPARE(pa < pb ? -1 : 1, byKey);
        // So does the byte-packed prefix where both keys allow it.
        if (CNaturalKey::FitsNarrow(ka.data(), ka.size()) && CNaturalKey::FitsNarrow(kb.data(), kb.size())) {
            const quint64 na = CNaturalKey::NarrowPrefix(ka.data(), ka.size());
            const quint64 nb = CNaturalKey::NarrowPrefix(kb.data(), kb.size());
            if (na != nb)
                QCOMPARE(na < nb ? -1 : 1, byKey);
        }
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void refusesWhatItCannotExpress_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("simple");
        QTest::newRow("plain") << "file10.dat" << true;
        QTest::newRow("spaces") << "my file 2" << true;
        QTest::newRow("accented letters") << QString::fromUtf8("été 3") << true;
        QTest::newRow("zero-ending run before a space") << "a10 b" << false;
        QTest::newRow("zero-ending run at the end") << "a10" << true;
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("v\u0661") << false;
        QTest::newRow("embedded NUL") << QString("a") + QChar(0) + "b" << false;
    }
    void refusesWhatItCannotExpress()
    {
        QFETCH(QString, name);
        QFETCH(bool, simple);
        std::vector<ushort> key{7};
        QCOMPARE(CNaturalKey::Append(name, key), simple);
        if (!simple)
            QCOMPARE(key.size(), size_t(1)); // nothing left behind after a refusal
    }

    // The byte-packed prefix refuses keys with an element of 256 or more among its eight: a
    // letter beyond Latin-1, a digit run of 256 digits or more (its length element).
    void narrowPrefixOnlyWhereItFits()
    {
        const auto fits = [](const QString& name) {
            std::vector<ushort> key;
            return CNaturalKey::Append(name, key) && CNaturalKey::FitsNarrow(key.data(), key.size());
        };
        QVERIFY(fits("file12345.dat"));
        QVERIFY(fits(QString::fromUtf8("été 3")));
        QVERIFY(!fits(QString::fromUtf8("Ωmega")));
        QVERIFY(!fits("v" + QString(256, QLatin1Char('7'))));
        QVERIFY(fits("v" + QString(255, QLatin1Char('7'))));
        // Only the first eight elements count.
        QVERIFY(fits(QString::fromUtf8("abcdefghΩ")));
    }

    // Names with equal keys (apart in case, white space and leading zeros only) compare as
    // plain case-insensitive text: the folder sort relies on this to sort such names in any
    // stable way and still get the order of its merge sort.
    void equalKeysCompareAsPlainText()
    {
        const QStringList bases{"a1b", "file10.dat", "x 2 y", "v7.0.1", "Photo 12 of 40", "007"};
        QRandomGenerator rng(5);
        int pairs = 0;
        for (const QString& base : bases) {
            QStringList variants;
            for (int v = 0; v < 40; ++v) {
                QString name;
                for (int i = 0; i < base.size(); ++i) {
                    const QChar c = base.at(i);
                    const bool runStart = c.isDigit() && (i == 0 || !base.at(i - 1).isDigit());
                    if (runStart && rng.bounded(3) == 0)
                        name += QString(int(rng.bounded(1, 3)), QLatin1Char('0'));
                    name += rng.bounded(2) ? c.toUpper() : c.toLower();
                    if (!c.isDigit() && rng.bounded(4) == 0)
                        name += QLatin1Char(' ');
                }
                variants << name;
            }
            std::vector<ushort> first;
            QVERIFY(CNaturalKey::Append(base, first));
            for (const QString& a : variants) {
                std::vector<ushort> ka;
                if (!CNaturalKey::Append(a, ka) || ka != first)
                    continue;
                for (const QString& b : variants) {
                    std::vector<ushort> kb;
                    if (!CNaturalKey::Append(b, kb) || kb != first)
                        continue;
                    const int full = Sign(CFileSystemModel::naturalCompare(a, b, Qt::CaseInsensitive));
                    const int plain = Sign(QString::compare(a, b, Qt::CaseInsensitive));
                    QVERIFY2(full == plain, qPrintable(QString("'%1' vs '%2'").arg(a, b)));
                    ++pairs;
                }
            }
        }
        QVERIFY(pairs > 1000);
    }

    // Random names over an alphabet rich in the characters that the comparison treats
    // specially: digits and zeros, white space, case, punctuation around '0'..'9', non-ASCII
    // (the Kelvin sign and the dotted capital I lower-case to ASCII letters), empty names.
    void agreesOnRandomNames()
    {
        const QString alphabet = QString::fromUtf8("aAbZz0001919  \t._-/:@\u00e9\u00c9\u0130\u212A\u03a9");
        QRandomGenerator rng(20261206);
        QStringList names;
        for (int i = 0; i < 600; ++i) {
            QString s;
            const int length = int(rng.bounded(7));
            for (int c = 0; c < length; ++c)
                s += alphabet.at(int(rng.bounded(alphabet.size())));
            names << s;
        }
        for (int i = 0; i < names.size(); ++i)
            for (int j = i + 1; j < names.size(); j += 3)
                CheckPair(names.at(i), names.at(j));
    }
};

QTEST_GUILESS_MAIN(TestNaturalKey)
#include "tst_naturalkey.moc"
