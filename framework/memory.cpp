// Allocation for the whole program, from the process's heap: neither the C runtime
// (the program imports none) nor the C++ library's throwing allocator (and its
// exception support) is in the exe. Memory that cannot be had ends the process at
// once, with ERROR_NOT_ENOUGH_MEMORY as its exit code: there is no sensible way on, and
// the next run settles what this one had begun, as after a power cut.
#include <windows.h>
#include <new>

void* operator new(size_t n)
{
    void* p = ::HeapAlloc(::GetProcessHeap(), 0, n ? n : 1);
    if (!p)
        ::ExitProcess(ERROR_NOT_ENOUGH_MEMORY);
    return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept
{
    if (p)
        ::HeapFree(::GetProcessHeap(), 0, p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
