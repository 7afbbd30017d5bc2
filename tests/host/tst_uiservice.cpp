#include "CUIService.h"
#include "HostResult.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

uint32_t errorNumber(uint32_t code)
{
    return code & 0xFFFu;
}

uint32_t check(CUIService& s, const QString& path)
{
    return s.CheckFolderExists(reinterpret_cast<const char16_t*>(path.utf16()));
}

// "ok", "missing" (the error number the pages test for) or "fails" (any other failure).
QString outcome(CUIService& s, const QString& path)
{
    const uint32_t r = check(s, path);
    return r == 0 ? QStringLiteral("ok") : errorNumber(r) == 0xB89 ? QStringLiteral("missing") : QStringLiteral("fails");
}

} // namespace

class TestUIService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void codeTexts();
    void supportUrls();
    void driveFolders();
    void networkAndNasFolders();
    void pathsThatAreRefused();

private:
    void writeIni(const QString& text);

    QTemporaryDir m_tmp;
    QString m_ini;
    CUIService m_service;
};

void TestUIService::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QDir root(m_tmp.path());
    for (const char* d : {"d/Work/Docs", "share/Projects", "nas/pub/music"})
        QVERIFY(root.mkpath(QLatin1String(d)));
    m_ini = root.filePath(QStringLiteral("default.ini"));
    m_service.SetDefaultIniPath(m_ini);
}

void TestUIService::writeIni(const QString& text)
{
    QFile f(m_ini);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.arg(m_tmp.path()).toUtf8());
}

void TestUIService::codeTexts()
{
    char16_t buf[64];
    QCOMPARE(m_service.GetCodeText(HostResult::Make(0x206, 0xB89), buf, 64), uint32_t(0));
    QCOMPARE(QString::fromUtf16(buf), QStringLiteral("The folder does not exist."));
    // Unknown numbers of any module get the generic text with the whole code.
    QCOMPARE(m_service.GetCodeText(0x2FB042FB, buf, 64), uint32_t(0));
    QCOMPARE(QString::fromUtf16(buf), QStringLiteral("Error code 0x2FB042FB"));

    // A text that does not fit is not cut: the buffer is left empty and the call fails.
    char16_t small[8] = {u'x', u'x'};
    QVERIFY(m_service.GetCodeText(0x2FB042FB, small, 8) != 0);
    QCOMPARE(small[0], char16_t(0));
    // Exactly the text plus its terminator fits.
    const int n = QStringLiteral("Error code 0x2FB042FB").size();
    QCOMPARE(m_service.GetCodeText(0x2FB042FB, buf, uint32_t(n + 1)), uint32_t(0));
    QVERIFY(m_service.GetCodeText(1, buf, 0) != 0);
}

void TestUIService::supportUrls()
{
    char16_t buf[256];
    QCOMPARE(m_service.GetSupportUrl(u"NR_KBUrl", buf, 256), uint32_t(0));
    QVERIFY(QString::fromUtf16(buf).contains(QLatin1String("%1")));
    // Unknown keys and cut addresses are failures with an empty buffer.
    QVERIFY(m_service.GetSupportUrl(u"NoSuchKey", buf, 256) != 0);
    QCOMPARE(buf[0], char16_t(0));
    QVERIFY(m_service.GetSupportUrl(u"NR_KBUrl", buf, 10) != 0);
}

void TestUIService::driveFolders()
{
    writeIni(QStringLiteral("[Drives]\nD=%1/d\nE=%1/gone\n"));
    for (const char* ok : {"D:\\Work\\Docs", "d:/Work/Docs/", "D:", "D:\\"})
        QVERIFY2(check(m_service, QLatin1String(ok)) == 0, ok);
    const uint32_t missing = check(m_service, QStringLiteral("D:\\Work\\Nope"));
    QCOMPARE(errorNumber(missing), uint32_t(0xB89));
    QCOMPARE((missing >> 12) & 0xFF, HostResult::kModule);
    // A drive mapped to a directory that is gone, or not mapped at all, is another failure.
    QCOMPARE(outcome(m_service, QStringLiteral("E:\\x")), QStringLiteral("fails"));
    QCOMPARE(outcome(m_service, QStringLiteral("F:\\x")), QStringLiteral("fails"));
    // A file is not a folder.
    QFile file(QDir(m_tmp.path()).filePath(QStringLiteral("d/Work/a.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(outcome(m_service, QStringLiteral("D:\\Work\\a.txt")), QStringLiteral("missing"));
}

void TestUIService::networkAndNasFolders()
{
    writeIni(QStringLiteral("[Network]\n\\\\fileserver\\share=%1/share\n\\\\fileserver\\share|user=alice\n"
                            "\\\\nasbox\\pub=%1/nas/pub\n[NAS]\nHomeNAS=\\\\nasbox\n"));
    // Server, share and folder names compare without case, as on the network.
    const QList<QPair<QString, QString>> cases = {
        {"\\\\FILESERVER\\Share\\projects", "ok"}, {"\\\\fileserver\\share\\Nope", "missing"},
        {"\\\\fileserver\\other\\x", "fails"},     {"NAS://HomeNAS/pub/music", "ok"},
        {"NAS://HomeNAS/pub/video", "missing"},   {"NAS://Other/pub", "fails"}};
    for (const auto& c : cases)
        QCOMPARE(outcome(m_service, c.first), c.second);

    // A share whose directory is gone (not mounted) is not "folder missing".
    writeIni(QStringLiteral("[Network]\n\\\\fileserver\\share=%1/unmounted\n"));
    QCOMPARE(outcome(m_service, QStringLiteral("\\\\fileserver\\share\\x")), QStringLiteral("fails"));

    // One format for every reader: an entry without the leading backslashes names no share, so
    // its folders are not reported as merely missing.
    writeIni(QStringLiteral("[Network]\nfileserver\\share=%1/share, alice, secret\n"));
    QCOMPARE(outcome(m_service, QStringLiteral("\\\\fileserver\\share\\Projects")), QStringLiteral("fails"));
}

void TestUIService::pathsThatAreRefused()
{
    writeIni(QStringLiteral("[Drives]\nD=%1/d\n"));
    // Parts that would leave the mapped root are refused, even when the target exists.
    for (const char* p : {"D:\\Work\\..\\..", "D:\\..\\d\\Work", "relative\\dir", "D:Work",
                          "\\\\.\\Tape0", "\\\\server", "\\\\", "NAS://", ""})
        QVERIFY2(outcome(m_service, QLatin1String(p)) == QLatin1String("fails"), p);
    QVERIFY(m_service.CheckFolderExists(nullptr) != 0);
}

QTEST_GUILESS_MAIN(TestUIService)
#include "tst_uiservice.moc"
