#pragma once
#include <cstdint>

class QWidget;
class QString;

// Published widget interface of the root object (its second base). No destructor: the object is
// destroyed through ICommonUI.
class IUIWidget
{
public:
    virtual int64_t QueryState() = 0;                   // slot 0: always 0
    virtual int64_t QueryIndexed(int32_t index) = 0;    // slot 1: always 0
    virtual QWidget* GetWidget() = 0;                   // slot 2: the page widget or null
    virtual int64_t QueryExtra() = 0;                   // slot 3: always 0
    virtual int64_t QueryFlag(bool flag) = 0;           // slot 4: always 0
    virtual void GetSelectionText(QString* text) = 0;   // slot 5

protected:
    ~IUIWidget() = default;
};
