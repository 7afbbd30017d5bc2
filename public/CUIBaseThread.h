#pragma once

// Small polymorphic base of the jobs the pages run on a worker thread.
class CUIBaseThread
{
public:
    virtual ~CUIBaseThread() = default;

protected:
    bool stopRequested = false;
};
