#include "CMsgBox.h"

#include "CKWMsgBoxWnd.h"

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

int CMsgBox::message(int kind, const QString& text, const QString& caption, int buttons, const QString& extra,
                     QWidget* parent)
{
    CKWMsgBoxWnd box(kind, text, caption, buttons, parent);
    box.SetDetail(extra);
    return box.Run();
}

int CMsgBox::messageWithLink(QWidget* parent, int kind, const QString& text, const QString& codeText,
                             const QString& link, const QString& fourth, int buttons, const QString& last)
{
    // `fourth` is the link's text and `last` a detail line under the message.
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
