#include "RoundTrip.h"

#include <QTemporaryDir>
#include <QtTest>

// The road from ticks in the backup page to files restored from the image, through the demo host
// in this process, over random trees and random clicks (bench/app/restore_roundtrip_long runs
// many more seeds).
class TestRestoreRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
};

void TestRestoreRoundTrip::initTestCase()
{
    // Nobody is there to read a message box; an unexpected one fails the run through its result.
    CMsgBox::SetAutoAnswer([](const CMsgBox::Record& r) {
        qWarning("message box: %s", qPrintable(r.text));
        return int(CMsgBox::Ok);
    });
}

void TestRestoreRoundTrip::cleanupTestCase()
{
    CMsgBox::SetAutoAnswer(nullptr);
}

void TestRestoreRoundTrip::roundTrip_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {11u, 29u, 47u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestRestoreRoundTrip::roundTrip()
{
    QFETCH(quint32, seed);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    roundtrip::Run run(dir.path(), seed, 40);
    QVERIFY2(run.MakeTree(), qPrintable(run.Why()));
    QVERIFY2(run.Backup(6), qPrintable(run.Why()));
    QVERIFY2(run.Restore(5, false), qPrintable(run.Why()));
    QVERIFY2(run.Restore(3, true), qPrintable(run.Why()));
}

QTEST_MAIN(TestRestoreRoundTrip)
#include "tst_restoreroundtrip.moc"
