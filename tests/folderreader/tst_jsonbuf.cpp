#include "CJSONBuf.h"

#include <QtTest>

namespace {

QByteArray bytesOf(IJSONBuf* b)
{
    return QByteArray(static_cast<const char*>(b->GetData()), b->GetSize());
}

// Buffers are given back, never deleted.
struct Buf
{
    IJSONBuf* b;
    explicit Buf(int n) : b(CreateJSONBuf(n)) {}
    ~Buf()
    {
        if (b)
            b->Release();
    }
    IJSONBuf* operator->() const { return b; }
};

} // namespace

class TestJSONBuf : public QObject
{
    Q_OBJECT

private slots:
    void create()
    {
        QVERIFY(!CreateJSONBuf(-1));
        Buf empty(0);
        QVERIFY(empty.b);
        QCOMPARE(empty->GetSize(), 0);
        QVERIFY(!empty->GetData());
        Buf some(16);
        QCOMPARE(bytesOf(some.b), QByteArray(16, '\0'));
        QCOMPARE(some->Allocate(0), 0);
        QCOMPARE(some->GetSize(), 16);
        some->SetData("abcd", 4);
        QCOMPARE(some->Allocate(2), 2);
        QCOMPARE(bytesOf(some.b), QByteArray(2, '\0'));
    }

    void setDataAndString()
    {
        Buf b(4);
        QCOMPARE(b->SetData(nullptr, 3), 0);
        QCOMPARE(b->GetSize(), 4); // refused calls leave the block alone
        QCOMPARE(b->SetData("abc", 3), 3);
        QCOMPARE(bytesOf(b.b), QByteArray("abc"));
        // A source inside the block itself.
        QCOMPARE(b->SetData(static_cast<char*>(b->GetData()) + 1, 2), 2);
        QCOMPARE(bytesOf(b.b), QByteArray("bc"));
        QCOMPARE(b->SetString(nullptr), 0);
        QCOMPARE(b->SetString(u"hé"), 6);
        QCOMPARE(bytesOf(b.b), QByteArray("h\0\xE9\0\0\0", 6));
        QCOMPARE(b->SetString(u""), 2);
    }

    void append()
    {
        Buf b(0);
        QCOMPARE(b->Append("ab", 2), 2);
        QCOMPARE(b->Append(nullptr, 2), 0);
        QCOMPARE(b->Append(b->GetData(), 2), 2); // its own bytes, which move as the block grows
        QCOMPARE(bytesOf(b.b), QByteArray("abab"));
        QCOMPARE(b->Append("c", INT_MAX), 0);    // cannot be that long: refused, nothing lost
        QCOMPARE(bytesOf(b.b), QByteArray("abab"));
    }

    void resizeAndOverwrite()
    {
        Buf b(0);
        b->SetData("abcd", 4);
        // Resize only grows, and the grown block starts all zero.
        QCOMPARE(b->Resize(4), 0);
        // Overwrite needs the same size, from outside the block.
        QCOMPARE(b->Overwrite("vwxyz", 5), 0);
        QCOMPARE(b->Overwrite(b->GetData(), 4), 0);
        QCOMPARE(bytesOf(b.b), QByteArray("abcd"));
        QCOMPARE(b->Overwrite("wxyz", 4), 4);
        QCOMPARE(bytesOf(b.b), QByteArray("wxyz"));
        QCOMPARE(b->Resize(6), 6);
        QCOMPARE(bytesOf(b.b), QByteArray(6, '\0'));
    }
};

QTEST_GUILESS_MAIN(TestJSONBuf)
#include "tst_jsonbuf.moc"
