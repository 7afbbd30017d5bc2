#include "CErrorDisplay.h"

#include "CErrorTable.h"
#include "CKWIniParser.h"
#include "CMsgBox.h"
#include "CUIPublic.h"
#include "IUIService.h"
#include "NRResult.h"

namespace {

// Error numbers whose message points to the support page of the mail-server products.
constexpr uint32_t kErrExchangeA = 0x484;
constexpr uint32_t kErrExchangeB = 0x454;

// Cuts UTF-8 text to `maxBytes` without splitting a character.
QString cutUtf8(const QString& text, int maxBytes)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= maxBytes)
        return text;
    int cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(utf8.at(cut)) & 0xC0) == 0x80)
        --cut;
    return QString::fromUtf8(utf8.constData(), cut);
}

QString supportUrl(IUIService* service, const char16_t* key)
{
    if (!service)
        return QString();
    char16_t buf[CErrorDisplay::kHostTextChars] = {};
    if (service->GetSupportUrl(key, buf, CErrorDisplay::kHostTextChars) != 0)
        return QString();
    buf[CErrorDisplay::kHostTextChars - 1] = 0;
    return QString::fromUtf16(buf);
}

} // namespace

const char* CErrorDisplay::TableText(uint32_t errorNumber)
{
    return CErrorTable::Text(errorNumber);
}

QString CErrorDisplay::Message(uint32_t code)
{
    const uint32_t number = NRResult::ErrorNumber(code);
    if (number == 0)
        return QString();
    if (NRResult::ModuleNumber(code) == NRResult::kModule) {
        if (const char* text = TableText(number))
            return cutUtf8(tr(text), kMaxMessageBytes);
    }
    IUIService* service = CUIPublic::Instance()->GetService();
    if (!service)
        return QString();
    char16_t buf[kHostTextChars] = {};
    if (service->GetCodeText(code, buf, kHostTextChars) != 0)
        return QString();
    buf[kHostTextChars - 1] = 0;
    const QString text = QString::fromUtf16(buf);
    return text.isEmpty() ? QString() : text;
}

CErrorDisplay::Texts CErrorDisplay::TextsOf(uint32_t code, int mode)
{
    Texts texts;
    const QString message = Message(code);
    if (message.isNull())
        return texts;
    texts.message = message;
    IUIService* service = CUIPublic::Instance()->GetService();
    const uint32_t number = NRResult::ErrorNumber(code);
    if (number == kErrExchangeA || number == kErrExchangeB) {
        texts.message = tr("%1\n%2").arg(message, tr("Learn more:"));
        texts.link = FormatWithCode(supportUrl(service, u"ExchangeSupportURL"), code);
    }
    CKWIniParser* config = CUIPublic::Instance()->GetUIConfig();
    const QString group = QStringLiteral("Public");
    if (texts.link.isEmpty() && mode == kModeWithSelfHelp
        && config->GetInt(QStringLiteral("ShowAllSelfHelp"), group, 0) > 0) {
        texts.codeText = FormatWithCode(config->GetString(QStringLiteral("ErrorCodeFmt"), group), code);
        texts.link = FormatWithCode(supportUrl(service, u"NR_KBUrl"), code);
    }
    return texts;
}

bool CErrorDisplay::ShowError(uint32_t code, QWidget* parent)
{
    if (code == kAlreadyShown || NRResult::ErrorNumber(code) == 0)
        return false;
    const Texts texts = TextsOf(code, kModeWithSelfHelp);
    if (texts.message.isEmpty())
        return false;
    CMsgBox::messageWithLink(parent, 3, texts.message, texts.codeText, texts.link, QString(), CMsgBox::Ok, QString());
    return true;
}

QString CErrorDisplay::FormatWithCode(const QString& pattern, uint32_t code)
{
    QString out = pattern;
    return out.replace(QLatin1String("%1"), QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper());
}
