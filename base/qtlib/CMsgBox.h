#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// Modal message boxes of the widget library.
// Kinds: 0 question/information, 2 warning, 3 error. Buttons: 4 OK, 256 Cancel, 260 OK+Cancel,
// 16 Yes, 32 No, 272 Yes... (bit set). The result is the id of the pressed button.
class CMsgBox
{
public:
    enum Button { Ok = 4, Yes = 16, No = 32, Cancel = 256, OkCancel = 260, YesCancel = 272 };

    static int message(int kind, const QString& text, const QString& caption, int buttons,
                       const QString& extra = QString(), QWidget* parent = nullptr);
    // Error box with a code text and a help link.
    static int messageWithLink(QWidget* parent, int kind, const QString& text, const QString& codeText,
                               const QString& link, const QString& fourth, int buttons,
                               const QString& last = QString());

    // Test hook: every box (and every modal dialog of the library that supports it) is answered
    // by `answer` instead of being shown. The record holds what the box would have shown.
    struct Record
    {
        QString dialog;   // "CMsgBox" or the class name of the dialog
        int kind = 0;
        QString text;
        QString caption;
        QString codeText;
        QString link;
        int buttons = 0;
        QStringList extra; // list contents of dialogs that show one
    };
    typedef std::function<int(const Record&)> AnswerFn;
    static void SetAutoAnswer(AnswerFn answer); // empty function: show boxes again
    static bool HasAutoAnswer();
    static int AutoAnswer(const Record& record); // used by the library's dialogs
    static QList<Record> Recorded();
    static void ClearRecorded();
};
