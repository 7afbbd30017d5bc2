#include "CErrorDisplay.h"
#include "CKWIniParser.h"
#include "CMsgBox.h"
#include "CUIPublic.h"
#include "IUIManager.h"
#include "IUIService.h"
#include "NRResult.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

class FakeService : public IUIService
{
public:
    QList<uint32_t> asked;
    bool fillWholeBuffer = false;

    uint32_t GetCodeText(uint32_t code, char16_t* buf, uint32_t chars) override
    {
        asked << code;
        if (fillWholeBuffer) {
            std::fill(buf, buf + chars, u'x'); // no terminator at all
            return 0;
        }
        const QString text = QStringLiteral("Host text %1").arg(code, 8, 16, QLatin1Char('0'));
        std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size() + 1, buf);
        return 0;
    }
    uint32_t CheckFolderExists(const char16_t*) override { return 0; }
    uint32_t GetSupportUrl(const char16_t* key, char16_t* buf, uint32_t) override
    {
        const QString k = QString::fromUtf16(key);
        const QString url = k == QLatin1String("NR_KBUrl") ? QStringLiteral("https://kb.example/?code=%1")
                                                           : QStringLiteral("https://support.example/mail");
        std::copy_n(reinterpret_cast<const char16_t*>(url.utf16()), url.size() + 1, buf);
        return 0;
    }
};

class FakeManager : public IUIManager
{
public:
    FakeService service;
    IMsgHub* GetHub() override { return nullptr; }
    IUIService* GetService() override { return &service; }
    NRGlobalUIData* GetGlobalUIData() override { return nullptr; }
    IObjectCreator* GetObjectCreator() override { return nullptr; }
    IUILogic* GetUILogic() override { return nullptr; }
};

constexpr uint32_t code4(uint32_t number) { return NRResult::Make(0x12, number); }

} // namespace

class TestErrorDisplay : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeManager m_manager;

private slots:
    void init()
    {
        const QString ui = m_dir.filePath(QStringLiteral("UIConfig.ini"));
        QFile::remove(ui);
        CUIPublic::Instance()->SetConfigPathsForTest(ui, m_dir.filePath(QStringLiteral("add.ini")),
                                                     m_dir.filePath(QStringLiteral("default.ini")));
        CUIPublic::Instance()->SetUIManager(&m_manager);
        m_manager.service.asked.clear();
        m_manager.service.fillWholeBuffer = false;
        CMsgBox::ClearRecorded();
        CMsgBox::SetAutoAnswer([](const CMsgBox::Record&) { return int(CMsgBox::Ok); });
    }
    void cleanup()
    {
        CMsgBox::SetAutoAnswer(CMsgBox::AnswerFn());
        CUIPublic::Instance()->SetUIManager(nullptr);
    }

    void tableTextFirstThenTheHosts()
    {
        // This module's codes with a text of its own never ask the host.
        QCOMPARE(CErrorDisplay::Message(code4(526)), QStringLiteral("Please select file or folder to back up."));
        QCOMPARE(CErrorDisplay::Message(code4(823)), CErrorDisplay::Message(code4(532)));
        QVERIFY(m_manager.service.asked.isEmpty());

        // 763 is this module's, but without a text; another module's 526 is not this table's.
        const uint32_t otherModule = (0x12u << 20) | (7u << 12) | 526u;
        QCOMPARE(CErrorDisplay::Message(code4(763)), QStringLiteral("Host text %1").arg(code4(763), 8, 16, QLatin1Char('0')));
        QCOMPARE(CErrorDisplay::Message(otherModule), QStringLiteral("Host text %1").arg(otherModule, 8, 16, QLatin1Char('0')));
        QCOMPARE(m_manager.service.asked, QList<uint32_t>({code4(763), otherModule}));

        QVERIFY(CErrorDisplay::Message(code4(0)).isNull());
        QVERIFY(CErrorDisplay::Message(0).isNull());
        QCOMPARE(m_manager.service.asked.size(), 2);

        // A host that fills the whole buffer is read no further than the buffer.
        m_manager.service.fillWholeBuffer = true;
        QCOMPARE(CErrorDisplay::Message(code4(763)).size(), int(CErrorDisplay::kHostTextChars) - 1);

        CUIPublic::Instance()->SetUIManager(nullptr);
        QVERIFY(CErrorDisplay::Message(code4(763)).isNull());
        QVERIFY(!CErrorDisplay::Message(code4(526)).isNull());
    }

    void selfHelpLinkOnlyWhenConfigured()
    {
        CErrorDisplay::Texts t = CErrorDisplay::TextsOf(code4(526), 3);
        QVERIFY(t.link.isEmpty() && t.codeText.isEmpty());

        CKWIniParser* ui = CUIPublic::Instance()->GetUIConfig();
        QVERIFY(ui->SetInt(QStringLiteral("ShowAllSelfHelp"), 1, QStringLiteral("Public")));
        QVERIFY(ui->SetString(QStringLiteral("ErrorCodeFmt"), QStringLiteral("Error code: 0x%1"), QStringLiteral("Public")));
        t = CErrorDisplay::TextsOf(0x00C0420Eu, 3);
        QCOMPARE(t.codeText, QStringLiteral("Error code: 0x00C0420E"));
        QCOMPARE(t.link, QStringLiteral("https://kb.example/?code=00C0420E"));
        QCOMPARE(t.message, QStringLiteral("Please select file or folder to back up."));

        t = CErrorDisplay::TextsOf(0x00C0420Eu, 0);
        QVERIFY(t.link.isEmpty() && t.codeText.isEmpty());
        QVERIFY(ui->SetInt(QStringLiteral("ShowAllSelfHelp"), 0, QStringLiteral("Public")));
        QVERIFY(CErrorDisplay::TextsOf(0x00C0420Eu, 3).link.isEmpty());
    }

    void mailServerErrorsPointToTheirSupportPage()
    {
        CKWIniParser* ui = CUIPublic::Instance()->GetUIConfig();
        QVERIFY(ui->SetInt(QStringLiteral("ShowAllSelfHelp"), 1, QStringLiteral("Public")));
        const CErrorDisplay::Texts t = CErrorDisplay::TextsOf(code4(0x484), 3);
        QCOMPARE(t.message, CErrorDisplay::Message(code4(0x484)) + QStringLiteral("\nLearn more:"));
        QCOMPARE(t.link, QStringLiteral("https://support.example/mail"));
        QVERIFY(t.codeText.isEmpty()); // a link was found, so no self-help code text
    }

    // One error box for a code with a text; none for success, a code already shown, or a code
    // without a text anywhere.
    void showErrorOnlyWithAText()
    {
        QVERIFY(!CErrorDisplay::ShowError(CErrorDisplay::kAlreadyShown, nullptr));
        QVERIFY(!CErrorDisplay::ShowError(0, nullptr));
        QVERIFY(!CErrorDisplay::ShowError(0x00C04000u, nullptr));
        QVERIFY(CErrorDisplay::ShowError(code4(526), nullptr));
        const QList<CMsgBox::Record> boxes = CMsgBox::Recorded();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].kind, 3);
        QCOMPARE(boxes[0].text, QStringLiteral("Please select file or folder to back up."));
    }
};

QTEST_MAIN(TestErrorDisplay)
#include "tst_errordisplay.moc"
