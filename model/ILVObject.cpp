#include "ILVObject.h"

quint32 ILVObject::AddRef()
{
    return m_refs.fetch_add(1, std::memory_order_relaxed) + 1;
}

quint32 ILVObject::Release()
{
    const quint32 left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
        FinalRelease();
        delete this;
    }
    return left;
}

void ILVObject::FinalRelease() {}

ILVObject::~ILVObject() = default;

bool ILVObject::AddRefIfAlive()
{
    quint32 count = m_refs.load(std::memory_order_relaxed);
    while (count != 0) {
        if (m_refs.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel,
                                         std::memory_order_relaxed))
            return true;
    }
    return false;
}
