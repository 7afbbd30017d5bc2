// A browser over a real image made with GNU tar: the tree, loading below the top level, the
// wildcard search into the flat result browser, and stopping a search. (What a damaged image
// gives is followed through the recovery page.)
#include "FbTestUtil.h"

#include "CNameCodec.h"
#include "CUISearchFileData.h"
#include "ImageFiles.h"

#include <QAbstractItemModelTester>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace fbtest;

namespace {

// An image of `count` empty files, a tenth of them .docx.
void writeBigTar(const QString& path, int count)
{
    QVector<imagetest::Member> members;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("C:/big/d%1/f%2.%3").arg(i / 1000).arg(i).arg(i % 10 == 0 ? "docx" : "txt");
        members.append({name.toLatin1(), QByteArray()});
    }
    QVERIFY(imagetest::WriteImage(path, "tar", members));
}

} // namespace

class TestImageSource : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    QString m_image;

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
        // A name that is not UTF-8, archived as its bytes.
        FILE* odd = ::fopen(QFile::encodeName(src + "/C:/Users/ann/").append("caf\xE9.txt").constData(), "w");
        QVERIFY(odd);
        ::fclose(odd);
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
        QScopedPointer<IFileBrower> b(NewBrowser(CFileBrower::kOptCheckBoxes | CFileBrower::kOptFiles | CFileBrower::kOptImage, m_image));
        auto* fb = static_cast<CFileBrower*>(b.data());
        const NodeIndex ann = Listed(fb, {"C:", "Users", "ann"});
        // Members whose names differ only in case are two entries, each selected on its own.
        const NodeIndex upper = Child(ann, "Makefile"), lower = Child(ann, "makefile");
        QVERIFY(upper && lower && upper != lower && Node(ann)->RowCount() == 5);
        // A member whose name is not UTF-8 is listed under the name its bytes decode to.
        QVERIFY(Child(ann, CNameCodec::DecodeName(QByteArray("caf\xE9.txt"))));
        const NodeIndex docs = Child(ann, "Docs");
        NodePtr plan = Node(Reach(fb, {"C:", "Users", "ann", "Docs", "plan.docx"}));
        QVERIFY(plan);
        QCOMPARE(plan->GetSize(), qint64(2048));
        QCOMPARE(QString::fromUtf8(b->GetNodePathUtf8(docs, 0)), QStringLiteral("C:\\Users\\ann\\Docs"));

        // Of the two, only the one ticked is exported.
        QVERIFY(b->SetNodeCheckState(lower, Qt::Checked));
        QCOMPARE(Selection(b.data()).IncludedPaths(), QStringList{"C:\\Users\\ann\\makefile"});
    }

    void searchFillsTheFlatBrowser()
    {
        QScopedPointer<IFileBrower> results(IFileBrower::CreateInstanceByType(IFileBrower::kTypeSearchResult, nullptr, nullptr));
        QAbstractItemModel* model = results->GetSearchModel();
        QVERIFY(model);

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
        QCOMPARE(model->rowCount(), 2); // case-insensitive: Report.DOCX too
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("2 KB"));

        // A node is made for a caller that needs one. (Ticked results and what the page commits
        // of them are followed through the recovery page.)
        const NodeIndex hit = results->FindNodeByUtf8Path("C:\\Users\\ann\\Docs\\plan.docx");
        QVERIFY(CLvFileSystemNodeMgr::IsValidNode(hit));

        // In a folder and below it: a new search replaces the results, and their nodes go.
        QSharedPointer<CUISearchFileData> inD(new CUISearchFileData(kSearchFileImage, nullptr, nullptr, m_image, "D:\\", "report*"));
        results->SetLoadingState(CFileBrower::kStateLoading);
        results->SetDataSource(inD);
        Settle(results.data());
        QVERIFY(!CLvFileSystemNodeMgr::IsValidNode(hit));
        QCOMPARE(model->rowCount(), 1);
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
