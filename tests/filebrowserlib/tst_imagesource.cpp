// A browser over a real image made with GNU tar: the tree, loading below the top level, the
// wildcard search into the flat result browser, a damaged image, and stopping a search.
#include "FbTestUtil.h"

#include "CFilterBlock.h"
#include "CGetImgFileData.h"
#include "CImageIndex.h"
#include "CUISearchFileData.h"

#include <QAbstractItemModelTester>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>

using namespace fbtest;

namespace {

// A ustar image of `count` empty files, written directly: quick to make in any size.
void writeBigTar(const QString& path, int count)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (int i = 0; i < count; ++i) {
        char h[512];
        std::memset(h, 0, sizeof h);
        const QByteArray name = QStringLiteral("C:/big/d%1/f%2.%3")
                                    .arg(i / 1000)
                                    .arg(i)
                                    .arg(i % 10 == 0 ? "docx" : "txt")
                                    .toLatin1();
        std::memcpy(h, name.constData(), size_t(name.size()));
        std::memcpy(h + 100, "0000644", 7);
        std::memcpy(h + 108, "0000000", 7);
        std::memcpy(h + 116, "0000000", 7);
        std::memcpy(h + 124, "00000000000", 11);
        std::memcpy(h + 136, "14712345670", 11);
        h[156] = '0';
        std::memcpy(h + 257, "ustar", 6);
        std::memcpy(h + 263, "00", 2);
        std::memset(h + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : h)
            sum += c;
        std::snprintf(h + 148, 8, "%06o", sum);
        f.write(h, 512);
    }
    f.write(QByteArray(1024, '\0'));
}

} // namespace

class TestImageSource : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_image;

    IFileBrower* imageBrowser(const QString& image)
    {
        const QByteArray path = image.toUtf8();
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles | CFileBrower::kOptImage;
        para.imagePath = path.constData(); // the source copies it
        IFileBrower* b = IFileBrower::CreateInstance(&para, nullptr, nullptr);
        Settle(b);
        return b;
    }

private slots:
    void initTestCase()
    {
        const QString src = m_tmp.path() + "/src";
        QDir().mkpath(src + "/C:/Users/ann/Docs");
        QDir().mkpath(src + "/D:/data");
        WriteFile(src + "/C:/Users/ann/Docs/plan.docx", QByteArray(2048, 'p'));
        WriteFile(src + "/C:/Users/ann/notes.txt", "n");
        WriteFile(src + "/C:/Users/ann/Makefile", "u");
        WriteFile(src + "/C:/Users/ann/makefile", "l");
        WriteFile(src + "/D:/data/Report.DOCX", "r");
        m_image = m_tmp.path() + "/backup.tar";
        QProcess tar;
        tar.setWorkingDirectory(src);
        tar.start("tar", {"--force-local", "-cf", m_image, "C:", "D:"});
        QVERIFY(tar.waitForFinished(30000));
        QCOMPARE(tar.exitCode(), 0);
    }

    void imageTreeLoads()
    {
        QScopedPointer<IFileBrower> b(imageBrowser(m_image));
        auto* fb = static_cast<CFileBrower*>(b.data());
        const NodeIndex c = Walk(fb, {"C:"});
        QVERIFY(c && Node(c)->IsDrive());
        QVERIFY(Walk(fb, {"D:"}));
        const NodeIndex ann = Reach(fb, {"C:", "Users", "ann"});
        Load(fb, ann);
        // Members whose names differ only in case are two entries, each selected on its own.
        const NodeIndex upper = Child(ann, "Makefile"), lower = Child(ann, "makefile");
        QVERIFY(upper && lower && upper != lower && Node(ann)->RowCount() == 4);
        const NodeIndex docs = Child(ann, "Docs");
        NodePtr plan = Node(Reach(fb, {"C:", "Users", "ann", "Docs", "plan.docx"}));
        QVERIFY(plan);
        QCOMPARE(plan->GetSize(), qint64(2048));
        QCOMPARE(b->GetRootType(docs), int(CGetDataCommon::kRootImage));
        QCOMPARE(QString::fromUtf8(b->GetNodePathUtf8(docs, 0)), QStringLiteral("C:\\Users\\ann\\Docs"));
        QCOMPARE(b->FindNodeByUtf8Path("C:\\Users\\ann\\Docs\\plan.docx"), plan->Id());

        // The selection of an image exports like any other.
        QVERIFY(b->SetNodeCheckState(docs, Qt::Checked));
        void* block = nullptr;
        uint32_t size = 0;
        QVERIFY(b->GetFilter(&block, &size, nullptr));
        CFilterBlock parsed;
        QCOMPARE(parsed.Parse(block, size), 0u);
        QCOMPARE(parsed.IncludedPaths(), QStringList{"C:\\Users\\ann\\Docs"});
        b->FreeFilter(block);
        QVERIFY(b->SetNodeCheckState(lower, Qt::Checked));
        QVERIFY(b->GetFilter(&block, &size, nullptr));
        QCOMPARE(parsed.Parse(block, size), 0u);
        QCOMPARE(parsed.IncludedPaths(), (QStringList{"C:\\Users\\ann\\Docs", "C:\\Users\\ann\\makefile"}));
        b->FreeFilter(block);
    }

    void damagedImageGivesCodeAndEmptyTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QFile f(m_image);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        QTest::newRow("truncated") << whole.left(700);
        QTest::newRow("garbage") << QByteArray(4096, '\x5A');
        QTest::newRow("empty file") << QByteArray();
    }

    void damagedImageGivesCodeAndEmptyTree()
    {
        QFETCH(QByteArray, bytes);
        const QString bad = m_tmp.path() + "/bad.tar";
        WriteFile(bad, bytes);
        const QByteArray path = bad.toUtf8();
        _CFileBrowserPara para;
        para.options = CFileBrower::kOptImage;
        para.imagePath = path.constData();
        auto* source = new CGetImgFileData(&para);
        QSignalSpy done(source, &CGetDataCommon::DoLoadFinished);
        QScopedPointer<IFileBrower> b(IFileBrower::CreateInstance(&para, source, nullptr));
        Settle(b.data());
        QCOMPARE(done.count(), 1);
        QVERIFY(NRResult::Failed(uint32_t(done.at(0).at(1).toInt())));
        NodePtr root = Node(b->GetRootIndex());
        QCOMPARE(root->RowCount(), 0);
        QVERIFY(root->InitFinish());
        // Searching it ends too, unsuccessfully.
        QScopedPointer<IFileBrower> results(IFileBrower::CreateInstanceByType(IFileBrower::kTypeSearchResult, nullptr, nullptr));
        QSharedPointer<CUISearchFileData> search(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, bad, QString(), "*"));
        QSignalSpy finished(search.data(), &CUISearchFileData::DoSearchFinished);
        results->SetDataSource(search);
        Settle(results.data());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
    }

    void searchFillsTheFlatBrowser()
    {
        QScopedPointer<IFileBrower> b(imageBrowser(m_image));
        QScopedPointer<IFileBrower> results(IFileBrower::CreateInstanceByType(IFileBrower::kTypeSearchResult, nullptr, nullptr));
        QAbstractItemModel* model = results->GetSearchModel();
        QVERIFY(model && !b->GetSearchModel());

        QSharedPointer<CUISearchFileData> all(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, m_image, QString(), "*.docx"));
        QSignalSpy finished(all.data(), &CUISearchFileData::DoSearchFinished);
        all->SetFileBrower(results.data());
        CGetDataCommon::AddInstance(results.data(), all);
        results->SetLoadingState(CFileBrower::kStateLoading);
        results->SetDataSource(all);
        Settle(results.data());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(finished.at(0).at(3).toString(), QStringLiteral("*.docx"));
        QCOMPARE(results->GetLoadingState(), int(CFileBrower::kStateIdle));
        QCOMPARE(model->rowCount(), 2); // case-insensitive: Report.DOCX too
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("plan.docx"));
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("C:\\Users\\ann\\Docs\\plan.docx"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("2 KB"));

        // A node is made for a caller that needs one; checked results are what the page commits.
        const NodeIndex hit = results->FindNodeByUtf8Path("C:\\Users\\ann\\Docs\\plan.docx");
        NodePtr h = Node(hit);
        QVERIFY(h);
        QCOMPARE(h->GetShownName(), QStringLiteral("plan.docx"));
        QCOMPARE(h->PathText(), QStringLiteral("C:\\Users\\ann\\Docs\\plan.docx"));
        QList<NodeIndex> items;
        QVERIFY(!results->GetCheckedItems(&items, 1, 0));
        QVERIFY(results->SetNodeCheckState(hit, Qt::Checked));
        QVERIFY(results->GetCheckedItems(&items, 1, 0));
        QCOMPARE(items, QList<NodeIndex>{hit});

        // In a folder and below it: a new search replaces the results, and their nodes go.
        h.reset();
        QSharedPointer<CUISearchFileData> inD(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, m_image, "D:\\", "report*"));
        results->SetLoadingState(CFileBrower::kStateLoading);
        results->SetDataSource(inD);
        Settle(results.data());
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(hit));
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("D:\\data\\Report.DOCX"));
        QCOMPARE(inD->HitCount(), 1);
        QCOMPARE(CGetDataCommon::InstanceCount(results.data()), 1);
    }

    void searchStopsWhenAsked()
    {
        const QString big = m_tmp.path() + "/big.tar";
        writeBigTar(big, 40000);
        QScopedPointer<IFileBrower> results(IFileBrower::CreateInstanceByType(IFileBrower::kTypeSearchResult, nullptr, nullptr));
        QSharedPointer<CUISearchFileData> search(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, big, QString(), "*.docx"));
        QSignalSpy finished(search.data(), &CUISearchFileData::DoSearchFinished);
        results->SetDataSource(search);
        search->SetExit();
        search->WaitFinish();
        // Stopped: no worker runs any more, and the end is still reported, as no success.
        QVERIFY(search->IsFinished());
        Settle(results.data());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        // So is a search stopped after its worker ended but before the list took the hits.
        QSharedPointer<CUISearchFileData> late(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, big, QString(), "*.docx"));
        QSignalSpy lateDone(late.data(), &CUISearchFileData::DoSearchFinished);
        results->SetDataSource(late);
        while (!late->IsFinished())
            QThread::msleep(1);
        late->SetExit();
        Settle(results.data());
        QCOMPARE(lateDone.count(), 1);
        QCOMPARE(lateDone.at(0).at(0).toBool(), false);

        // The same image searched to the end finds every tenth file, while the list is sorted
        // and ticked under the item-model contract.
        QAbstractItemModel* model = results->GetSearchModel();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSharedPointer<CUISearchFileData> whole(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, big, QString(), "*.DOCX"));
        QSignalSpy wholeDone(whole.data(), &CUISearchFileData::DoSearchFinished);
        results->SetDataSource(whole);
        for (int turn = 0; wholeDone.isEmpty(); ++turn) {
            model->sort(turn % 5, turn % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
            model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCOMPARE(whole->HitCount(), 4000);
        QCOMPARE(model->rowCount(), 4000);

        // Ticks and persistent indexes follow their hits through every sort; names go in natural order.
        model->setData(QModelIndex(), Qt::Unchecked, Qt::CheckStateRole);
        const auto rowOf = [&](const QString& name) {
            const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly);
            return found.isEmpty() ? -1 : found.first().row();
        };
        QVERIFY(model->setData(model->index(rowOf("f20.docx"), 0), Qt::Checked, Qt::CheckStateRole));
        const QPersistentModelIndex held(model->index(rowOf("f100.docx"), 4));
        for (int column = 0; column < 5; ++column) {
            for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                model->sort(column, order);
                QCOMPARE(held.data().toString(), QStringLiteral("C:\\big\\d0\\f100.docx"));
                QCOMPARE(model->index(rowOf("f20.docx"), 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
                QCOMPARE(model->data(QModelIndex(), Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));
                if (column == 0)
                    QCOMPARE(rowOf("f20.docx") < rowOf("f100.docx"), order == Qt::AscendingOrder);
            }
        }
        QList<NodeIndex> items;
        QVERIFY(results->GetCheckedItems(&items, 1, 0));
        QCOMPARE(items.size(), 1);
        QCOMPARE(Node(items.first())->PathText(), QStringLiteral("C:\\big\\d0\\f20.docx"));
    }
};

QTEST_MAIN(TestImageSource)
#include "tst_imagesource.moc"
