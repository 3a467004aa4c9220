// Allocation for the whole program, straight from the C runtime, so that the
// C++ library's throwing allocator (and its exception support) stays out of the exe.
#include <stdlib.h>
#include <new>

void* operator new(size_t n)
{
    void* p = malloc(n ? n : 1);
    if (!p)
        abort();
    return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
