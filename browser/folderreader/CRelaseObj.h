#pragma once
#include "NRThreadHandOff.h"

#include <QRunnable>

// Gives an interface back on a worker thread, so that a release that blocks never holds up the
// thread that dropped it. The runnable deletes itself after run().
template <typename T>
class CRelaseObj : public QRunnable
{
public:
    explicit CRelaseObj(T* obj) : obj(obj)
    {
        setAutoDelete(true);
        NRHandOff(this);
    }

    void run() override
    {
        NRTakeOver(this);
        if (obj) {
            obj->Release();
            obj = nullptr;
        }
    }

private:
    T* obj;
};
