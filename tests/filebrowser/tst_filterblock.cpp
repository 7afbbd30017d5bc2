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
    static const int kFirst = 56;

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
        const CFilterBlock b = sample();
        const QStringList reversed = b.PathList();
        QCOMPARE(reversed.size(), 6);
        QCOMPARE(reversed.first(), QStringLiteral("NAS://dev/share"));
        QCOMPARE(reversed.last(), QStringLiteral("D:\\Work\\Docs"));
        QCOMPARE(b.IncludedPaths().size(), 4);

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

    void refusesBadHeaders()
    {
        const QByteArray good = sample().ToByteArray();
        QCOMPARE(CFilterBlock::Validate(nullptr, 100), CFilterBlock::kErrNullBlock);
        expectRefused(QByteArray(""), CFilterBlock::kErrTooShort);
        expectRefused(good.left(55), CFilterBlock::kErrTooShort);

        QByteArray b = good;
        b[0] = 'X';
        expectRefused(b, CFilterBlock::kErrBadMagic);
        b = good;
        put32(b, 4, 2);
        expectRefused(b, CFilterBlock::kErrBadVersion);
        b = good;
        put32(b, 8, good.size() + 4);
        expectRefused(b, CFilterBlock::kErrBadTotalSize);
        b = good;
        put32(b, 8, 40);
        expectRefused(b, CFilterBlock::kErrBadTotalSize);
        b = good;
        put32(b, 12, 0x40000000);
        expectRefused(b, CFilterBlock::kErrBadCount);
        b = good;
        put32(b, 16, 7);
        expectRefused(b, CFilterBlock::kErrBadSelectionType);
        b = good;
        b[30] = 1;
        expectRefused(b, CFilterBlock::kErrReservedNotZero);
        // Fewer entries claimed than present, or more than present.
        b = good;
        put32(b, 12, 5);
        expectRefused(b, CFilterBlock::kErrTrailingBytes);
        b = good;
        put32(b, 12, 7);
        expectRefused(b, CFilterBlock::kErrEntryOutside);
    }

    void refusesBadEntries()
    {
        const QByteArray good = sample().ToByteArray();
        const int second = kFirst + qFromLittleEndian<quint16>(good.constData() + kFirst);

        QByteArray b = good;
        put16(b, kFirst, 0); // would never advance
        expectRefused(b, CFilterBlock::kErrBadEntrySize);
        b = good;
        put16(b, kFirst, 15);
        expectRefused(b, CFilterBlock::kErrBadEntrySize);
        b = good;
        put16(b, second, 0xFFFE);
        expectRefused(b, CFilterBlock::kErrEntryOutside);

        b = good;
        b[kFirst + 5] = char(8); // name inside the head
        expectRefused(b, CFilterBlock::kErrBadOffset);
        b = good;
        b[kFirst + 5] = char(17);
        expectRefused(b, CFilterBlock::kErrBadOffset);
        b = good;
        put16(b, kFirst + 8, qFromLittleEndian<quint16>(good.constData() + kFirst)); // path at the entry end
        expectRefused(b, CFilterBlock::kErrBadOffset);
        b = good;
        put16(b, kFirst + 6, 1);
        expectRefused(b, CFilterBlock::kErrReservedNotZero);

        // Overwrite the path's terminator and the padding: the string runs to the entry's end.
        b = good;
        const int size = qFromLittleEndian<quint16>(good.constData() + kFirst);
        for (int at = kFirst + 26 + 24; at < kFirst + size; at += 2)
            put16(b, at, 'z');
        expectRefused(b, CFilterBlock::kErrNoTerminator);

        b = good;
        put32(b, second + 12, 1); // an exclusion pointing at itself
        expectRefused(b, CFilterBlock::kErrBadOwner);
        b = good;
        put32(b, kFirst + 12, 0); // an include with an owner
        expectRefused(b, CFilterBlock::kErrBadOwner);
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
