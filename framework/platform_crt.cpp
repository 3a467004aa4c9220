// The real functions of the table's rows of the C runtime: its directory, file and time
// calls, made over kernel32, since the program imports no C runtime (Windows 95 has
// none). Each keeps the contract the installer relies on: 0 for success and -1 for
// failure (or the C runtime's own values), the system's error in GetLastError.
#include "platform.h"

namespace {

// What the installer reads of a directory entry the search found (its attributes, its
// length and its name); 0, or -1 when it found none.
__attribute__((noinline)) int TakeFound(BOOL bFound, const WIN32_FIND_DATAA& found, struct _finddata_t* pfd)
{
    if (!bFound)
        return -1;
    pfd->attrib = found.dwFileAttributes;
    pfd->size = found.nFileSizeLow;
    lstrcpyA(pfd->name, found.cFileName);
    return 0;
}

} // namespace

namespace crt {

// Into the drive's current directory, as the C runtime goes there: drive 1 is A:.
int __cdecl _chdrive(int nDrive)
{
    const char szDrive[] = { (char)('@' + nDrive), ':', 0 };
    return nDrive >= 1 && nDrive <= 26 && ::SetCurrentDirectoryA(szDrive) ? 0 : -1;
}

int __cdecl _chdir(const char* pszDir) { return ::SetCurrentDirectoryA(pszDir) ? 0 : -1; }
int __cdecl _mkdir(const char* pszDir) { return ::CreateDirectoryA(pszDir, NULL) ? 0 : -1; }
int __cdecl _rmdir(const char* pszDir) { return ::RemoveDirectoryA(pszDir) ? 0 : -1; }
int __cdecl remove(const char* pszFile) { return ::DeleteFileA(pszFile) ? 0 : -1; }
// As the C runtime renames: never over a file that is there.
int __cdecl rename(const char* pszFrom, const char* pszTo) { return ::MoveFileA(pszFrom, pszTo) ? 0 : -1; }

// Into the caller's buffer only; NULL also when the directory's name does not fit it.
char* __cdecl _getcwd(char* pszBuffer, int nSize)
{
    const DWORD n = ::GetCurrentDirectoryA(nSize, pszBuffer);
    return n && n < (DWORD)nSize ? pszBuffer : NULL;
}

// The search handle is the system's, -1 where nothing matches (INVALID_HANDLE_VALUE).
intptr_t __cdecl _findfirst(const char* pszPattern, struct _finddata_t* pfd)
{
    WIN32_FIND_DATAA found;
    const HANDLE hFind = ::FindFirstFileA(pszPattern, &found);
    TakeFound(hFind != INVALID_HANDLE_VALUE, found, pfd);
    return (intptr_t)hFind;
}

int __cdecl _findnext(intptr_t hFind, struct _finddata_t* pfd)
{
    WIN32_FIND_DATAA found;
    return TakeFound(::FindNextFileA((HANDLE)hFind, &found), found, pfd);
}

int __cdecl _findclose(intptr_t hFind) { return ::FindClose((HANDLE)hFind) ? 0 : -1; }

// Seconds since 1 January 1970, UTC: the system's clock in 100 ns steps since 1601, less
// the steps to 1970, divided by ten million. The quotient fits 32 bits until 2106, and on
// a 32-bit processor one division instruction makes it (the compiler would call a
// library of its own for a 64-bit division); a clock outside those years gives -1.
time_t __cdecl time(time_t* pt)
{
    ULARGE_INTEGER ticks;
    ::GetSystemTimeAsFileTime((FILETIME*)&ticks);
    ticks.QuadPart -= 116444736000000000;
    const DWORD kTicksPerSecond = 10000000;
    time_t t = -1;
    if (ticks.HighPart < kTicksPerSecond) {
#if defined(__i386__)
        DWORD nSeconds, nRest;
        __asm__("divl %4"
                : "=a"(nSeconds), "=d"(nRest)
                : "a"(ticks.LowPart), "d"(ticks.HighPart), "rm"(kTicksPerSecond));
        t = nSeconds;
#else
        t = (time_t)(ticks.QuadPart / kTicksPerSecond);
#endif
    }
    if (pt)
        *pt = t;
    return t;
}

} // namespace crt
