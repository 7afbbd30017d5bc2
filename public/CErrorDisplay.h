#pragma once
#include <QCoreApplication>
#include <QString>

#include <cstdint>

class QWidget;

// Shows failed result codes to the user: the code's message (this module's table, else the host
// service's text), a help link where there is one, in the widget library's error box.
class CErrorDisplay
{
    Q_DECLARE_TR_FUNCTIONS(CErrorDisplay)

public:
    // The code the backup page uses once it has told the user itself that nothing is selected.
    static constexpr uint32_t kAlreadyShown = 0x1001;
    // Longest table message in UTF-8 bytes (a 260-byte buffer with its terminator).
    static constexpr int kMaxMessageBytes = 259;
    // The host's text of a code is taken into a buffer of 2048 bytes.
    static constexpr uint32_t kHostTextChars = 1024;
    static constexpr int kModeWithSelfHelp = 3;

    // Untranslated table text of an error number of this module; null when the table has none.
    static const char* TableText(uint32_t errorNumber);

    // The message of a code; a null string when there is none.
    static QString Message(uint32_t code);

    struct Texts
    {
        QString message;
        QString link;
        QString codeText;
    };
    static Texts TextsOf(uint32_t code, int mode);

    // Shows the error box of kind 3 with an OK button; nothing for 0x1001, for an error number
    // of 0, or for a code without any message. Answers whether a box was shown.
    static bool ShowError(uint32_t code, QWidget* parent);

    // `pattern` with every "%1" replaced by the code as 8 upper-case hex digits.
    static QString FormatWithCode(const QString& pattern, uint32_t code);
};
