#pragma once
#include <QtGlobal>
#include <atomic>

// Intrusive reference-counted base. The count starts at 1 when the object is constructed;
// Release() at zero calls FinalRelease() and then deletes the object.
class ILVObject
{
public:
    ILVObject() = default;
    ILVObject(const ILVObject&) : m_refs(1) {}
    ILVObject& operator=(const ILVObject&) = delete;

    virtual quint32 AddRef();
    virtual quint32 Release();
    virtual void FinalRelease();
    virtual ~ILVObject();

    // Current count (for diagnostics and tests only: it may change right after it is read).
    quint32 RefCount() const { return m_refs.load(std::memory_order_acquire); }

protected:
    // Adds a reference unless the count already reached zero (the object is dying). The
    // registry uses it so that a lookup never revives a node that is being destroyed.
    bool AddRefIfAlive();

    std::atomic<quint32> m_refs{1};
};
