#include "CNameCodec.h"

#include <QRandomGenerator>
#include <QtTest>

class TestNameCodec : public QObject
{
    Q_OBJECT

private slots:
    void validUtf8DecodesAsText()
    {
        const QByteArray bytes("r\xC3\xA9sum\xC3\xA9 \xF0\x9F\x98\x80.txt");
        QCOMPARE(CNameCodec::DecodeName(bytes), QString::fromUtf8(bytes));
        QCOMPARE(CNameCodec::EncodeName(CNameCodec::DecodeName(bytes)), bytes);
        QVERIFY(CNameCodec::IsValidUtf8(bytes.constData(), size_t(bytes.size())));
    }

    void undecodableBytesBecomeLoneSurrogates_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        auto esc = [](int b) { return QString(QChar(ushort(0xDC00 + b))); };
        QTest::newRow("latin1") << QByteArray("caf\xE9") << QStringLiteral("caf") + esc(0xE9);
        QTest::newRow("truncated sequence") << QByteArray("a\xE2\x82") << QStringLiteral("a") + esc(0xE2) + esc(0x82);
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << esc(0xC0) + esc(0xAF);
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << esc(0xED) + esc(0xA0) + esc(0x80);
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << esc(0xF4) + esc(0x90) + esc(0x80) + esc(0x80);
        QTest::newRow("stray continuation then text") << QByteArray("\x80\xC3\xA9") << esc(0x80) + QString::fromUtf8("\xC3\xA9");
    }

    void undecodableBytesBecomeLoneSurrogates()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(CNameCodec::DecodeName(bytes), expected);
        QCOMPARE(CNameCodec::EncodeName(expected), bytes);
        QVERIFY(!CNameCodec::IsValidUtf8(bytes.constData(), size_t(bytes.size())));
    }

    void backslashInANameIsKeptApartFromSeparators()
    {
        const QByteArray bytes("a\\b");
        const QString name = CNameCodec::DecodeName(bytes);
        QVERIFY(!name.contains(QLatin1Char('\\')));
        QCOMPARE(name.at(1).unicode(), ushort(CNameCodec::kEscapedBackslash));
        QCOMPARE(CNameCodec::EncodeName(name), bytes);
        // Text that is not a single name keeps its backslashes.
        QCOMPARE(CNameCodec::DecodeText(bytes), QStringLiteral("a\\b"));
    }

    void unwritableSurrogatesAreReported()
    {
        bool ok = true;
        QString s = QStringLiteral("x");
        s.append(QChar(0xD800)); // a high surrogate without its pair
        const QByteArray out = CNameCodec::EncodeName(s, &ok);
        QVERIFY(!ok);
        QCOMPARE(out, QByteArray("x\xEF\xBF\xBD"));
        CNameCodec::EncodeName(QString(QChar(0xDC10)), &ok);
        QVERIFY(!ok);
        CNameCodec::EncodeName(QStringLiteral("fine"), &ok);
        QVERIFY(ok);
    }

    void arbitraryBytesRoundTrip()
    {
        // Seeded, so a failure can be replayed.
        QRandomGenerator gen(20261206);
        for (int i = 0; i < 20000; ++i) {
            QByteArray bytes(1 + int(gen.bounded(24)), '\0');
            for (char& c : bytes) {
                // Bias towards the lead and continuation bytes where the decoder can go wrong.
                const quint32 pick = gen.bounded(4);
                c = char(pick == 0 ? gen.bounded(0x80) : pick == 1 ? 0x80 + gen.bounded(0x40) : 0xC0 + gen.bounded(0x40));
                if (c == 0 || c == '/')
                    c = 'a';
            }
            const QString name = CNameCodec::DecodeName(bytes);
            bool ok = false;
            QCOMPARE(CNameCodec::EncodeName(name, &ok), bytes);
            QVERIFY(ok);
            QCOMPARE(CNameCodec::EncodeText(CNameCodec::DecodeText(bytes)), bytes);
            // Distinct byte names stay distinct names.
            bytes[0] = char(bytes[0] ^ 1);
            QVERIFY(CNameCodec::DecodeName(bytes) != name);
        }
    }
};

QTEST_GUILESS_MAIN(TestNameCodec)
#include "tst_namecodec.moc"
