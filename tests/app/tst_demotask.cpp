#include "CDemoTask.h"
#include "CHostTaskData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDemoTask : public QObject
{
    Q_OBJECT
private slots:
    void committedSelectionComesBackForEditing();
    void missingFileIsNewTask();
    void malformedFilesAreRefused_data();
    void malformedFilesAreRefused();

private:
    QTemporaryDir m_tmp;
};

void TestDemoTask::committedSelectionComesBackForEditing()
{
    CHostTaskData committed;
    committed.filters << QByteArray("old") << QByteArray("FLTR\0\x01 binary", 13);
    committed.credentials << QByteArray(1128, '\xC3');
    committed.networkLocations << QByteArray(783, '\0');
    committed.sourceDescriptions << QStringLiteral("Local, NAS \u00e9");

    CDemoTask task;
    task.TakeFrom(committed);
    QCOMPARE(task.guid.size(), 16);
    const QString path = m_tmp.filePath(QStringLiteral("task.json"));
    QString error;
    QVERIFY2(task.Save(path, &error), qPrintable(error));

    CDemoTask again;
    QVERIFY2(again.Load(path, &error), qPrintable(error));
    QCOMPARE(again.guid, task.guid);
    QCOMPARE(again.filter, QByteArray("FLTR\0\x01 binary", 13));
    QCOMPARE(again.credentials, committed.credentials.first());
    QCOMPARE(again.sourceDescription, QStringLiteral("Local, NAS \u00e9"));

    // Saving an edited task keeps its identity.
    again.TakeFrom(committed);
    QCOMPARE(again.guid, task.guid);

    CHostTaskData served;
    again.ServeTo(served);
    QCOMPARE(served.taskFilter, again.filter);
    // The stored logins go back where the page reads what it carries over.
    QCOMPARE(served.taskSecondFilter, again.credentials);
    QCOMPARE(served.taskNetRecords, QByteArray(783, '\0'));
    QCOMPARE(served.filterKind, uint32_t(0));
}

void TestDemoTask::missingFileIsNewTask()
{
    CDemoTask task;
    QString error;
    QVERIFY(task.Load(m_tmp.filePath(QStringLiteral("absent.json")), &error));
    QVERIFY(task.guid.isEmpty() && task.filter.isEmpty());
}

void TestDemoTask::malformedFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not json") << QByteArray("{ filter: ");
    QTest::newRow("filter not base64") << QByteArray("{\"filter\": \"@@@@\"}");
    QTest::newRow("short guid") << QByteArray("{\"guid\": \"AAAA\"}");
    QTest::newRow("negative kind") << QByteArray("{\"filterKind\": -1}");
}

void TestDemoTask::malformedFilesAreRefused()
{
    QFETCH(QByteArray, content);
    const QString path = m_tmp.filePath(QStringLiteral("bad.json"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    CDemoTask task;
    QString error;
    QVERIFY(!task.Load(path, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestDemoTask)
#include "tst_demotask.moc"
