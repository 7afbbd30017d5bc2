#pragma once
#include "CJSONBuf.h"
#include "IFolderTree.h"
#include "IUILogic.h"

#include <QList>
#include <QString>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

// A scripted folder-tree service that records every call it gets.
class FakeFolderTree : public IFolderTree
{
public:
    struct Call
    {
        QString op;
        int room; // the array's room, or -1
        uint32_t timeout;
        QString text; // the first string argument
    };
    // Record queries: room -> result, with the count to write back. Records filled are "R<i>".
    std::function<uint32_t(int room, int* count)> records = [](int, int* count) { *count = 0; return 0u; };
    // JSON requests: request text -> result; may set *reply.
    std::function<uint32_t(const QString& request, IJSONBuf** reply)> json = [](const QString&, IJSONBuf**) {
        return 0u;
    };
    QList<Call> calls;
    uint32_t stringResult = 0;
    QString user, password;
    uint32_t initMode = 99;
    unsigned char guid[16];
    int sleepMs = 0;
    std::atomic<int> releases{0};
    std::atomic<QThread*> releaseThread{nullptr};

    FakeFolderTree() { std::memset(guid, 0xEE, sizeof guid); }

    uint32_t Init(uint32_t mode, uint32_t, uint32_t) override { return initMode = mode, 0; }
    uint32_t SetGuid(const unsigned char* g) override { return std::memcpy(guid, g, 16), 0; }
    uint32_t GetPCDriverLetter(NRDriveRecord* r, int* n, uint32_t t) override { return fill("drives", r, n, t); }
    uint32_t GetGroupInfo(NRNameRecord* r, int* n, uint32_t t) override { return fill("groups", r, n, t); }
    uint32_t GetGroupPCInfo(const char16_t* g, NRNameRecord* r, int* n, uint32_t t) override
    {
        return fill("grouppcs", r, n, t, g);
    }
    uint32_t GetLibInfo(NRLibRecord* r, int* n, uint32_t t) override { return fill("libs", r, n, t); }
    uint32_t GetLibNodeInfo(const char16_t* l, NRLibRecord* r, int* n, uint32_t t) override
    {
        return fill("libnodes", r, n, t, l);
    }
    uint32_t GetNetMapPath(const char16_t* p, char16_t*, uint32_t, uint32_t t) override
    {
        log("mappath", -1, t, p);
        return stringResult;
    }
    uint32_t GetNetAccount(const char16_t* s, char16_t* u, uint32_t uc, char16_t* p, uint32_t pc, uint32_t t) override
    {
        log("getaccount", -1, t, s);
        put(user, u, uc);
        put(password, p, pc);
        return stringResult;
    }
    uint32_t SetNetAccount(const char16_t* s, const char16_t*, const char16_t*, uint32_t t) override
    {
        log("setaccount", -1, t, s);
        return stringResult;
    }
    uint32_t SetNetPCAccount(const char16_t* pc, const char16_t*, uint32_t t) override
    {
        log("pcaccount", -1, t, pc);
        return stringResult;
    }
    uint32_t CreateDir(const char16_t* p, uint32_t t) override
    {
        log("mkdir", -1, t, p);
        return stringResult;
    }
    uint32_t JSONRequest(IJSONBuf* request, IJSONBuf** reply, uint32_t t) override
    {
        log("json", -1, t, static_cast<const char16_t*>(request->GetData()));
        return json(calls.last().text, reply);
    }
    void Release() override
    {
        releaseThread = QThread::currentThread();
        ++releases;
    }

    // Reply buffers: bytes as they are, or a text in UTF-16 with its terminator.
    static IJSONBuf* RawReply(const QByteArray& bytes)
    {
        IJSONBuf* b = CreateJSONBuf(0);
        b->SetData(bytes.constData(), bytes.size());
        return b;
    }
    static IJSONBuf* TextReply(const QString& text)
    {
        IJSONBuf* b = CreateJSONBuf(0);
        b->SetString(reinterpret_cast<const char16_t*>(text.utf16()));
        return b;
    }

private:
    void log(const char* op, int room, uint32_t t, const char16_t* a)
    {
        calls.append({QString::fromLatin1(op), room, t, QString::fromUtf16(a)});
        if (sleepMs)
            QThread::msleep(static_cast<unsigned long>(sleepMs));
    }
    // Fills the whole room when the text is longer, terminator or not, as a careless service would.
    static void put(const QString& s, char16_t* out, uint32_t chars)
    {
        const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(s.size()), chars);
        std::memcpy(out, s.utf16(), n * 2);
        if (n < chars)
            out[n] = u'\0';
    }
    template <typename Record>
    uint32_t fill(const char* op, Record* r, int* n, uint32_t t, const char16_t* text = nullptr)
    {
        log(op, *n, t, text);
        const int room = *n;
        const uint32_t result = records(room, n);
        for (int i = 0; i < std::min(room, *n); ++i) {
            const QString name = QStringLiteral("R%1").arg(i);
            NRFolderTreeRecords::WriteText(r[i].bytes, 260, reinterpret_cast<const char16_t*>(name.utf16()));
        }
        return result;
    }
};

// A UI logic that hands out one service (or null), with a chosen result.
class FakeUILogic : public IUILogic
{
public:
    explicit FakeUILogic(IFolderTree* tree, uint32_t result = 0) : tree(tree), result(result) {}
    uint32_t Version() override { return 1; }
    uint32_t QueryInterface(uint32_t id, void** out) override
    {
        askedId = id;
        *out = tree;
        return result;
    }
    IFolderTree* tree;
    uint32_t result;
    uint32_t askedId = 0;
};
