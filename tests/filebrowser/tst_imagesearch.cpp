#include "CImageIndex.h"
#include "CImageSearch.h"

#include <QSet>
#include <QtTest>

#include <thread>

#include <sys/stat.h>

namespace {

void add(CImageIndex& index, const char* path, bool dir = false)
{
    index.AddMember(path, strlen(path), dir ? S_IFDIR | 0755 : S_IFREG | 0644, 1, 0);
}

QStringList run(const CImageIndex& index, const QString& pattern, const QString& scope, bool recursive = true)
{
    QStringList found;
    const uint32_t at = index.Find(scope);
    const uint32_t r = CImageSearch(pattern).Run(index, at, recursive, [&](QVector<uint32_t>&& hits) {
        for (uint32_t e : hits)
            found.append(index.Path(e));
    });
    if (r != 0)
        found.append(QStringLiteral("error %1").arg(r, 0, 16));
    found.sort();
    return found;
}

} // namespace

class TestImageSearch : public QObject
{
    Q_OBJECT

    CImageIndex m_index;

private slots:
    void initTestCase()
    {
        add(m_index, "C:/Users/x/Report.DOCX");
        add(m_index, "C:/Users/x/notes.docx.bak");
        add(m_index, "C:/Users/x/old/plan.docx");
        add(m_index, "C:/Users/y/plan.doc");
        add(m_index, "C:/Users/y/r\xC3\xA9sum\xC3\xA9.docx");
        add(m_index, "C:/Users/y/CAF\xC3\x89");
        add(m_index, "C:/Users/y/caf\xE9.txt");
        add(m_index, "D:/docs", true);
        add(m_index, "D:/x.docx");
        m_index.Finish();
    }

    void wildcardsAndCase_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("match");
        QTest::newRow("suffix") << "*.docx" << "Report.DOCX" << true;
        QTest::newRow("suffix is the end") << "*.docx" << "notes.docx.bak" << false;
        QTest::newRow("question one char") << "plan.do?" << "plan.doc" << true;
        QTest::newRow("question not zero") << "plan.doc?" << "plan.doc" << false;
        QTest::newRow("question multibyte") << "r?sum?.docx" << QString::fromUtf8("r\xC3\xA9sum\xC3\xA9.docx") << true;
        QTest::newRow("non-ascii case") << QString::fromUtf8("caf\xC3\xA9") << QString::fromUtf8("CAF\xC3\x89") << true;
        QTest::newRow("star backtracks") << "*a*b*c" << "xaxbxbxc" << true;
        QTest::newRow("star backtracks, no") << "*a*b*c" << "xaxbxbx" << false;
        QTest::newRow("stars collapse") << "***" << "" << true;
        QTest::newRow("plain text is contained") << "port" << "Report.DOCX" << true;
        QTest::newRow("escaped byte by question") << "caf?.txt" << QStringLiteral("caf") + QChar(0xDCE9) + ".txt" << true;
        QTest::newRow("escaped byte in the pattern") << QStringLiteral("f") + QChar(0xDCE9) << QStringLiteral("caf") + QChar(0xDCE9) + ".txt" << true;
    }

    void wildcardsAndCase()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, match);
        QCOMPARE(CImageSearch(pattern).Matches(name), match);
    }

    void scopes()
    {
        QCOMPARE(run(m_index, "*.docx", QString()),
                 (QStringList{"C:\\Users\\x\\Report.DOCX", "C:\\Users\\x\\old\\plan.docx",
                              QString::fromUtf8("C:\\Users\\y\\r\xC3\xA9sum\xC3\xA9.docx"), "D:\\x.docx"}));
        QCOMPARE(run(m_index, "*.docx", "C:\\Users\\x"),
                 (QStringList{"C:\\Users\\x\\Report.DOCX", "C:\\Users\\x\\old\\plan.docx"}));
        QCOMPARE(run(m_index, "*.docx", "C:\\Users\\x", false), (QStringList{"C:\\Users\\x\\Report.DOCX"}));
        // Folders match as well as files; the scope itself is not a result.
        QCOMPARE(run(m_index, "d*", QString()), (QStringList{"D:", "D:\\docs"}));
        QCOMPARE(run(m_index, "docs", "D:\\docs"), QStringList());
    }

    void refusals()
    {
        auto ignore = [](QVector<uint32_t>&&) {};
        QCOMPARE(CImageSearch(QString()).Run(m_index, CImageIndex::kRoot, true, ignore), CImageSearch::kErrEmptyPattern);
        QCOMPARE(CImageSearch("*").Run(m_index, m_index.Count(), true, ignore), CImageSearch::kErrBadScope);
        QVERIFY(!CImageSearch(QString()).Matches(QStringLiteral("x")));
    }

    void batchesWhileItRunsAndCancellation()
    {
        // Big enough that the cancel check runs many times before the end.
        CImageIndex big;
        QByteArray path;
        for (int d = 0; d < 200; ++d) {
            for (int f = 0; f < 1000; ++f) {
                path = "C:/d" + QByteArray::number(d) + "/f" + QByteArray::number(f) + (f % 10 == 0 ? ".docx" : ".txt");
                big.AddMember(path.constData(), size_t(path.size()), S_IFREG | 0644, 0, 0);
            }
        }
        big.Finish();

        int batches = 0;
        QSet<uint32_t> all;
        QCOMPARE(CImageSearch("*.DOCX").Run(big, CImageIndex::kRoot, true, [&](QVector<uint32_t>&& hits) {
            ++batches;
            for (uint32_t e : hits)
                all.insert(e);
        }, nullptr, 1000), 0u);
        QCOMPARE(all.size(), 20000);
        QVERIFY(batches >= 20);

        // Stopped from another thread after the first batch: the search ends with its code and
        // hands out nothing more.
        std::atomic_bool cancel(false);
        std::atomic_int afterCancel(0);
        uint32_t result = 0;
        std::thread worker([&] {
            result = CImageSearch("*").Run(big, big.Find(QStringLiteral("C:")), true, [&](QVector<uint32_t>&&) {
                if (cancel.load())
                    ++afterCancel;
                cancel = true;
            }, &cancel, 100);
        });
        worker.join();
        QCOMPARE(result, CImageSearch::kErrCancelled);
        QVERIFY(afterCancel.load() < 4096 / 100 + 1);

        // A flag set before the start stops the search at its first check.
        const std::atomic_bool stopped(true);
        int delivered = 0;
        QCOMPARE(CImageSearch("*").Run(big, CImageIndex::kRoot, true, [&](QVector<uint32_t>&&) { ++delivered; },
                                       &stopped, 1000000),
                 CImageSearch::kErrCancelled);
        QCOMPARE(delivered, 0);
    }
};

QTEST_GUILESS_MAIN(TestImageSearch)
#include "tst_imagesearch.moc"
