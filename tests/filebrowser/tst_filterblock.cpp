#include "CFilterBlock.h"

#include <QtEndian>
#include <QtTest>

class TestFilterBlock : public QObject
{
    Q_OBJECT

private:
    static CFilterBlock sample()
    {
        CFilterBlock b;
        const uint32_t docs = b.AppendInclude(QStringLiteral("Docs"), QStringLiteral("D:\\Work\\Docs"), true, true, 3);
        b.AppendExclude(docs, QStringLiteral("tmp"), QStringLiteral("D:\\Work\\Docs\\tmp"), true, 3);
        b.AppendExclude(docs, QStringLiteral("a.log"), QStringLiteral("D:\\Work\\Docs\\a.log"), false, 4);
        // Odd lengths exercise the padding; a lone surrogate stands for an undecodable byte.
        QString odd = QStringLiteral("x");
        odd.append(QChar(0xDCFF));
        b.AppendInclude(odd, QStringLiteral("\\\\srv\\share\\") + odd, false, true, 4);
        b.AppendInclude(QString(), QString(), false, false, 0);
        b.AppendInclude(QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("NAS://dev/share"), true, true, 13);
        return b;
    }

    static void put16(QByteArray& b, int at, uint16_t v) { qToLittleEndian<quint16>(v, b.data() + at); }
    static void put32(QByteArray& b, int at, uint32_t v) { qToLittleEndian<quint32>(v, b.data() + at); }
    static constexpr int kFirst = 56;

    // Refused as a whole: the code is the expected one and nothing is kept.
    static void expectRefused(const QByteArray& bytes, uint32_t code)
    {
        CFilterBlock b = sample();
        QCOMPARE(b.Parse(bytes.constData(), static_cast<size_t>(bytes.size())), code);
        QVERIFY(b.IsEmpty());
        QCOMPARE(CFilterBlock::CountOf(bytes.constData(), static_cast<size_t>(bytes.size())), -1);
    }

private slots:
    void roundTripIsByteExact()
    {
        const CFilterBlock original = sample();
        QByteArray bytes;
        QCOMPARE(original.Serialize(bytes), 0u);
        QCOMPARE(bytes.size() % 4, 0);
        QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 8), static_cast<quint32>(bytes.size()));

        CFilterBlock read;
        QCOMPARE(read.Parse(bytes.constData(), static_cast<size_t>(bytes.size())), 0u);
        QVERIFY(read == original);
        QCOMPARE(read.ToByteArray(), bytes);
        QCOMPARE(read.Entries().at(3).name.at(1).unicode(), ushort(0xDCFF));
        QCOMPARE(CFilterBlock::CountOf(bytes.constData(), static_cast<size_t>(bytes.size())), 6);

        // A larger buffer than the block is fine: the header's total size bounds the read.
        QByteArray padded = bytes + QByteArray(40, '\x7f');
        QCOMPARE(CFilterBlock::Validate(padded.constData(), static_cast<size_t>(padded.size())), 0u);
    }

    void emptySelectionAndFileTypes()
    {
        CFilterBlock empty;
        empty.SetSelectionType(CFilterBlock::kSelectFileTypes);
        const QByteArray bytes = empty.ToByteArray();
        QCOMPARE(bytes.size(), 56);
        CFilterBlock read;
        QCOMPARE(read.Parse(bytes.constData(), 56), 0u);
        QCOMPARE(read.Count(), 0);
        QCOMPARE(read.SelectionType(), CFilterBlock::kSelectFileTypes);
    }

    void entryLayoutMatchesTheFormat()
    {
        const QByteArray bytes = sample().ToByteArray();
        const char* e = bytes.constData() + kFirst;
        QCOMPARE(qFromLittleEndian<quint16>(e), quint16(16 + 10 + 26)); // "Docs\0" + "D:\Work\Docs\0"
        QCOMPARE(qFromLittleEndian<quint16>(e + 2), quint16(CFilterBlock::kFlagFolder | CFilterBlock::kFlagWholePath));
        QCOMPARE(quint8(e[4]), quint8(3));
        QCOMPARE(quint8(e[5]), quint8(16));
        QCOMPARE(qFromLittleEndian<quint16>(e + 8), quint16(26));
        QCOMPARE(qFromLittleEndian<quint32>(e + 12), CFilterBlock::kNoOwner);
        const char* x = e + qFromLittleEndian<quint16>(e);
        QCOMPARE(qFromLittleEndian<quint16>(x + 2) & CFilterBlock::kFlagExclude, int(CFilterBlock::kFlagExclude));
        QCOMPARE(qFromLittleEndian<quint32>(x + 12), quint32(0));
    }

    void helpersForPages()
    {
        // Exclusions are not included paths.
        QCOMPARE(sample().IncludedPaths().size(), 4);

        // Rebuilding a selection: ancestors before descendants, whatever the stored order.
        CFilterBlock c;
        const uint32_t deep = c.AppendInclude(QStringLiteral("b"), QStringLiteral("c:\\a\\b"), true, true, 3);
        c.AppendInclude(QStringLiteral("a"), QStringLiteral("C:\\A"), true, true, 3);
        c.AppendExclude(deep, QStringLiteral("c"), QStringLiteral("C:\\a\\b\\c"), true, 3);
        QCOMPARE(c.ApplyOrder(), (QVector<int>{1, 0, 2}));
    }

    void writerRefusesWhatCannotBeRead()
    {
        CFilterBlock big;
        big.AppendInclude(QStringLiteral("n"), QString(40000, QLatin1Char('p')), false, true, 4);
        QByteArray out("stale");
        QCOMPARE(big.Serialize(out), CFilterBlock::kErrEntryTooLarge);
        QVERIFY(out.isEmpty());

        CFilterBlock orphan;
        orphan.AppendExclude(0, QStringLiteral("x"), QStringLiteral("C:\\x"), false, 4);
        QCOMPARE(orphan.Serialize(out), CFilterBlock::kErrBadOwner);

        CFilterBlock chained;
        chained.AppendInclude(QStringLiteral("a"), QStringLiteral("C:\\a"), true, true, 3);
        chained.AppendExclude(0, QStringLiteral("b"), QStringLiteral("C:\\a\\b"), true, 3);
        chained.AppendExclude(1, QStringLiteral("c"), QStringLiteral("C:\\a\\b\\c"), true, 3);
        QCOMPARE(chained.Serialize(out), CFilterBlock::kErrBadOwner);
    }

    void refusesShortBlocks()
    {
        QCOMPARE(CFilterBlock::Validate(nullptr, 100), CFilterBlock::kErrNullBlock);
        expectRefused(QByteArray(""), CFilterBlock::kErrTooShort);
    }

    // One field of the sample block overwritten: the whole block is refused with its code.
    void refusesCorruptFields_data()
    {
        QTest::addColumn<int>("at");     // byte offset; negative: from the second entry
        QTest::addColumn<int>("bits");   // width of the value written there
        QTest::addColumn<uint>("value"); // kEntrySize: the first entry's size
        QTest::addColumn<uint32_t>("code");
        const uint kEntrySize = 0xFFFFFFFF;
        const int good = sample().ToByteArray().size();
        QTest::newRow("magic") << 0 << 8 << uint('X') << CFilterBlock::kErrBadMagic;
        QTest::newRow("version") << 4 << 32 << 2u << CFilterBlock::kErrBadVersion;
        QTest::newRow("total beyond the bytes") << 8 << 32 << uint(good + 4) << CFilterBlock::kErrBadTotalSize;
        QTest::newRow("total inside the header") << 8 << 32 << 40u << CFilterBlock::kErrBadTotalSize;
        QTest::newRow("absurd count") << 12 << 32 << 0x40000000u << CFilterBlock::kErrBadCount;
        QTest::newRow("selection type") << 16 << 32 << 7u << CFilterBlock::kErrBadSelectionType;
        QTest::newRow("header reserved") << 30 << 8 << 1u << CFilterBlock::kErrReservedNotZero;
        QTest::newRow("fewer entries claimed") << 12 << 32 << 5u << CFilterBlock::kErrTrailingBytes;
        QTest::newRow("more entries claimed") << 12 << 32 << 7u << CFilterBlock::kErrEntryOutside;
        QTest::newRow("entry size 0 never advances") << kFirst << 16 << 0u << CFilterBlock::kErrBadEntrySize;
        QTest::newRow("entry size inside its head") << kFirst << 16 << 15u << CFilterBlock::kErrBadEntrySize;
        QTest::newRow("entry beyond the block") << -1 << 16 << 0xFFFEu << CFilterBlock::kErrEntryOutside;
        QTest::newRow("name inside the head") << kFirst + 5 << 8 << 8u << CFilterBlock::kErrBadOffset;
        QTest::newRow("name offset odd") << kFirst + 5 << 8 << 17u << CFilterBlock::kErrBadOffset;
        QTest::newRow("path at the entry end") << kFirst + 8 << 16 << kEntrySize << CFilterBlock::kErrBadOffset;
        QTest::newRow("entry reserved") << kFirst + 6 << 16 << 1u << CFilterBlock::kErrReservedNotZero;
        QTest::newRow("exclusion owns itself") << -13 << 32 << 1u << CFilterBlock::kErrBadOwner;
        QTest::newRow("include with an owner") << kFirst + 12 << 32 << 0u << CFilterBlock::kErrBadOwner;
    }
    void refusesCorruptFields()
    {
        QFETCH(int, at);
        QFETCH(int, bits);
        QFETCH(uint, value);
        QFETCH(uint32_t, code);
        QByteArray b = sample().ToByteArray();
        const int firstSize = qFromLittleEndian<quint16>(b.constData() + kFirst);
        if (at < 0)
            at = kFirst + firstSize - at - 1;
        if (value == 0xFFFFFFFF)
            value = uint(firstSize);
        if (bits == 8)
            b[at] = char(value);
        else if (bits == 16)
            put16(b, at, uint16_t(value));
        else
            put32(b, at, value);
        expectRefused(b, code);
    }

    void refusesAnUnterminatedPath()
    {
        // Overwrite the path's terminator and the padding: the string runs to the entry's end.
        QByteArray b = sample().ToByteArray();
        const int size = qFromLittleEndian<quint16>(b.constData() + kFirst);
        for (int at = kFirst + 26 + 24; at < kFirst + size; at += 2)
            put16(b, at, 'z');
        expectRefused(b, CFilterBlock::kErrNoTerminator);
    }

    void everyTruncationIsRefused()
    {
        const QByteArray good = sample().ToByteArray();
        for (int len = 0; len < good.size(); ++len) {
            // Also clamp the total size to the buffer, so the walk meets the cut inside an entry.
            QByteArray cut = good.left(len);
            if (len >= 56)
                put32(cut, 8, static_cast<uint32_t>(len));
            QVERIFY2(NRResult::Failed(CFilterBlock::Validate(cut.constData(), static_cast<size_t>(cut.size()))),
                     qPrintable(QString::number(len)));
        }
    }
};

QTEST_GUILESS_MAIN(TestFilterBlock)
#include "tst_filterblock.moc"
