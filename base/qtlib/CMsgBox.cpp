#include "CMsgBox.h"

#include "CKWMsgBoxWnd.h"
#include "CTrace.h"

#include <QApplication>
#include <QThread>

#include <mutex>

namespace {

struct HookState
{
    std::mutex mutex;
    CMsgBox::AnswerFn answer;
    QList<CMsgBox::Record> recorded;
};

HookState& hook()
{
    static HookState state;
    return state;
}

} // namespace

namespace {

// With an answer function set, no widget is built at all (so boxes can be answered from tests
// without widgets and from any thread). Otherwise the box needs the GUI thread of a widget
// application; anywhere else it cannot be shown and answers as if it had been closed.
bool answeredWithoutShowing(const CMsgBox::Record& record, int& answer)
{
    if (CMsgBox::HasAutoAnswer()) {
        answer = CKWMsgBoxWnd::AnswerFor(record.buttons, CMsgBox::AutoAnswer(record));
        return true;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app) || QThread::currentThread() != app->thread()) {
        NR_TRACE(u"File = %s, Line = %u, message box outside the GUI thread: %S", __FILE__, __LINE__,
                 reinterpret_cast<const char16_t*>(record.text.utf16()));
        answer = CKWMsgBoxWnd::CloseIdFor(record.buttons);
        return true;
    }
    return false;
}

} // namespace

int CMsgBox::message(int kind, const QString& text, const QString& caption, int buttons, const QString& extra,
                     QWidget* parent)
{
    Record record;
    record.dialog = QStringLiteral("CMsgBox");
    record.kind = kind;
    record.text = text;
    record.caption = caption;
    record.buttons = buttons;
    if (!extra.isEmpty())
        record.extra = QStringList{extra};
    int answer = 0;
    if (answeredWithoutShowing(record, answer))
        return answer;

    CKWMsgBoxWnd box(kind, text, caption, buttons, parent);
    box.SetDetail(extra);
    return box.Run();
}

int CMsgBox::messageWithLink(QWidget* parent, int kind, const QString& text, const QString& codeText,
                             const QString& link, const QString& fourth, int buttons, const QString& last)
{
    // `fourth` is the link's text and `last` a detail line under the message.
    Record record;
    record.dialog = QStringLiteral("CMsgBox");
    record.kind = kind;
    record.text = text;
    record.codeText = codeText;
    record.link = link;
    record.buttons = buttons;
    if (!last.isEmpty())
        record.extra = QStringList{last};
    int answer = 0;
    if (answeredWithoutShowing(record, answer))
        return answer;

    CKWMsgBoxWnd box(kind, text, QString(), buttons, parent);
    box.SetDetail(last);
    box.SetCodeAndLink(codeText, link, fourth);
    return box.Run();
}

void CMsgBox::SetAutoAnswer(AnswerFn answer)
{
    std::lock_guard<std::mutex> lock(hook().mutex);
    hook().answer = std::move(answer);
}

bool CMsgBox::HasAutoAnswer()
{
    std::lock_guard<std::mutex> lock(hook().mutex);
    return bool(hook().answer);
}

int CMsgBox::AutoAnswer(const Record& record)
{
    AnswerFn answer;
    {
        std::lock_guard<std::mutex> lock(hook().mutex);
        hook().recorded.append(record);
        answer = hook().answer;
    }
    // Called unlocked: the answer function may itself show (and so record) another box.
    return answer ? answer(record) : 0;
}

QList<CMsgBox::Record> CMsgBox::Recorded()
{
    std::lock_guard<std::mutex> lock(hook().mutex);
    return hook().recorded;
}

void CMsgBox::ClearRecorded()
{
    std::lock_guard<std::mutex> lock(hook().mutex);
    hook().recorded.clear();
}
