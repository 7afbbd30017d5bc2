#pragma once

// Asks for the cache line of p to be brought in ready for writing (a lock or a reference count
// on it is about to change): reading it first and then taking it over would cost two trips.
// Used by loops that walk many nodes lying all over the heap.
inline void PrefetchForWrite(const void* p)
{
#if defined(__x86_64__) || defined(__i386__)
    // Processors without the instruction run it as a no-op.
    asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(p)));
#else
    __builtin_prefetch(p, 1);
#endif
}
