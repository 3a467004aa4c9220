#include "platform.h"
#include <string.h>

namespace {

// The real entry of a late-bound row: its function where the system has it, else the
// row's failure value. Called, not jumped to: a jump would copy every argument twice.
// The table keeps every entry, so they share one section, with no padding between them.
#define AFX_LATE_SECTION __attribute__((section(".text$afx_late")))
#define AFX_LATE_ENTRY(lib, ret, cc, name, params, args, fail)                                  \
    AFX_LATE_##lib(AFX_LATE_SECTION __attribute__((optimize("no-optimize-sibling-calls")))       \
    ret cc Late##name params {                                                                   \
        FARPROC pfn = sys::Find##name();                                 \
        return pfn ? ((ret(cc*) params)(void*)pfn)args : fail;           \
    })
AFX_PLATFORM_CALLS(AFX_LATE_ENTRY)
#undef AFX_LATE_ENTRY

} // namespace

// Both tables are filled at compile time, before any constructor runs.
#define AFX_CALL_REAL(lib, ret, cc, name, params, args, fail) AFX_REAL_##lib(name),
const AfxPlatformCalls g_afxSystemCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
AfxPlatformCalls g_afxCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
#undef AFX_CALL_REAL

// The names, each a datum of its own: only the tests read the list, and the program's
// file keeps none of them (a late-bound row's stub holds the name it looks up).
namespace {
#define AFX_CALL_NAME(lib, ret, cc, name, params, args, fail) const char kName##name[] = #name;
AFX_PLATFORM_CALLS(AFX_CALL_NAME)
#undef AFX_CALL_NAME
} // namespace
const char* const g_afxCallNames[AFX_CALL_COUNT] = {
#define AFX_CALL_NAME(lib, ret, cc, name, params, args, fail) kName##name,
    AFX_PLATFORM_CALLS(AFX_CALL_NAME)
#undef AFX_CALL_NAME
};

void AfxRestorePlatformCalls() { g_afxCalls = g_afxSystemCalls; }

// The high bit of the version is set on Windows 9x; the major version is in the low byte.
BOOL AfxIsWindows9x() { return (sys::GetVersion() & 0x80000000) != 0; }
DWORD AfxShareDelete() { return AfxIsWindows9x() ? 0 : FILE_SHARE_DELETE; }
DWORD AfxOpenReparsePoint()
{
    const DWORD dwVersion = sys::GetVersion();
    return !(dwVersion & 0x80000000) && LOBYTE(dwVersion) >= 5 ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

HMODULE AfxLoadSystemLibrary(const char* pszName)
{
    char szPath[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(szPath, MAX_PATH);
    size_t nName = strlen(pszName);
    if (n == 0 || n + 1 + nName >= MAX_PATH)
        return NULL;
    szPath[n] = '\\';
    memcpy(szPath + n + 1, pszName, nName + 1);
    return sys::LoadLibraryA(szPath);
}

FARPROC __fastcall AfxFindLateCall(const char* pszName, const char* pszLibrary)
{
    HMODULE hLibrary = AfxLoadSystemLibrary(pszLibrary);
    FARPROC pfn = hLibrary ? sys::GetProcAddress(hLibrary, pszName) : NULL;
    if (!pfn)
        ::SetLastError(ERROR_PROC_NOT_FOUND);
    return pfn;
}

AFX_LATE_SECTION FARPROC __fastcall AfxFindKernel32Call(const char* pszName)
{
    return AfxFindLateCall(pszName, "kernel32.dll");
}
