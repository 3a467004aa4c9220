// The functions of the C library that the installer and the compiler call by their C
// names: copies, comparisons and searches of memory and strings. The exe alone has
// these (the program imports no C runtime, which Windows 95 lacks); the test programs
// have the C runtime's. Compiled outside the whole-program compile, so that the calls the
// compiler itself makes there always find them, and without the loops here turned into
// calls of the functions they are (cmake/target.cmake).
#include <stddef.h>

extern "C" {

void* memcpy(void* pDst, const void* pSrc, size_t n)
{
    char* d = (char*)pDst;
    for (const char* s = (const char*)pSrc; n; --n)
        *d++ = *s++;
    return pDst;
}

void* memset(void* pDst, int ch, size_t n)
{
    for (char* d = (char*)pDst; n; --n)
        *d++ = (char)ch;
    return pDst;
}

int memcmp(const void* pA, const void* pB, size_t n)
{
    const unsigned char* a = (const unsigned char*)pA;
    const unsigned char* b = (const unsigned char*)pB;
    for (; n; --n, ++a, ++b) {
        if (*a != *b)
            return *a - *b;
    }
    return 0;
}

void* memchr(const void* p, int ch, size_t n)
{
    for (const unsigned char* q = (const unsigned char*)p; n; --n, ++q) {
        if (*q == (unsigned char)ch)
            return (void*)q;
    }
    return NULL;
}

size_t strlen(const char* psz)
{
    const char* p = psz;
    while (*p)
        ++p;
    return p - psz;
}

int strcmp(const char* a, const char* b)
{
    for (; *a && *a == *b; ++a, ++b) {
    }
    return (unsigned char)*a - (unsigned char)*b;
}

char* strchr(const char* psz, int ch)
{
    for (;; ++psz) {
        if (*psz == (char)ch)
            return (char*)psz;
        if (!*psz)
            return NULL;
    }
}

char* strstr(const char* psz, const char* pszSub)
{
    for (;; ++psz) {
        const char* p = psz;
        const char* q = pszSub;
        while (*q && *p == *q)
            ++p, ++q;
        if (!*q)
            return (char*)psz;
        if (!*psz)
            return NULL;
    }
}

} // extern "C"
