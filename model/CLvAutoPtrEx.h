#pragma once

// Holds one reference on a reference-counted object and gives it back at the end of the scope.
// Constructed from a pointer it adopts that reference (GetNode already added one).
template <class T>
class CLvAutoPtrEx
{
public:
    CLvAutoPtrEx() = default;
    explicit CLvAutoPtrEx(T* p) : m_p(p) {}
    ~CLvAutoPtrEx() { reset(); }
    CLvAutoPtrEx(const CLvAutoPtrEx&) = delete;
    CLvAutoPtrEx& operator=(const CLvAutoPtrEx&) = delete;
    CLvAutoPtrEx(CLvAutoPtrEx&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
    CLvAutoPtrEx& operator=(CLvAutoPtrEx&& o) noexcept
    {
        if (this != &o) {
            reset();
            m_p = o.m_p;
            o.m_p = nullptr;
        }
        return *this;
    }
    // Adopts p's reference after giving back the old one.
    CLvAutoPtrEx& operator=(T* p)
    {
        if (p != m_p) {
            reset();
            m_p = p;
        }
        return *this;
    }

    void reset()
    {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    // Hands the reference to the caller.
    T* take()
    {
        T* p = m_p;
        m_p = nullptr;
        return p;
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool operator!() const { return m_p == nullptr; }

private:
    T* m_p = nullptr;
};
