#include "platform.h"
#include <string.h>

namespace {

typedef DWORD(APIENTRY* PFN_VERINSTALLFILEA)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);

// version.dll is never imported: a static import would be resolved from the
// program's own folder before any of our code runs. The facility is looked up in
// the system directory at each use (the library stays loaded after the first).
DWORD APIENTRY SystemVerInstallFileA(DWORD a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, LPCSTR f,
                                     LPSTR g, PUINT h)
{
    HMODULE hVersion = AfxLoadSystemLibrary("version.dll");
    PFN_VERINSTALLFILEA pfn =
        hVersion ? (PFN_VERINSTALLFILEA)(void*)::GetProcAddress(hVersion, "VerInstallFileA") : NULL;
    return pfn ? pfn(a, b, c, d, e, f, g, h) : VIF_CANNOTREADSRC;
}

// Calls that older systems lack are never imported, or the program would not even
// load there: each is looked up in kernel32 when it is called, and where the system
// has none it fails as a call that found nothing would.
FARPROC KernelProc(const char* pszName) { return ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), pszName); }

#define AFX_LATE_CALL(ret, name, params, args, fail)                       \
    ret WINAPI Late##name params                                           \
    {                                                                      \
        FARPROC pfn = KernelProc(#name);                                   \
        return pfn ? ((ret(WINAPI*) params)(void*)pfn)args : fail;         \
    }
AFX_LATE_CALL(HANDLE, CreateToolhelp32Snapshot, (DWORD a, DWORD b), (a, b), INVALID_HANDLE_VALUE)
AFX_LATE_CALL(BOOL, Process32First, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)
AFX_LATE_CALL(BOOL, Process32Next, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)
AFX_LATE_CALL(BOOL, QueryFullProcessImageNameA, (HANDLE a, DWORD b, LPSTR c, PDWORD d), (a, b, c, d), FALSE)
#undef AFX_LATE_CALL

} // namespace

// Both tables are filled at compile time, before any constructor runs.
#define VerInstallFileA SystemVerInstallFileA
#define CreateToolhelp32Snapshot LateCreateToolhelp32Snapshot
#define Process32First LateProcess32First
#define Process32Next LateProcess32Next
#define QueryFullProcessImageNameA LateQueryFullProcessImageNameA
#define AFX_CALL_REAL(ret, cc, name, params, args, fail) &name,
const AfxPlatformCalls g_afxSystemCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
AfxPlatformCalls g_afxCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
#undef AFX_CALL_REAL
#undef VerInstallFileA
#undef CreateToolhelp32Snapshot
#undef Process32First
#undef Process32Next
#undef QueryFullProcessImageNameA

const char* const g_afxCallNames[AFX_CALL_COUNT] = {
#define AFX_CALL_NAME(ret, cc, name, params, args, fail) #name,
    AFX_PLATFORM_CALLS(AFX_CALL_NAME)
#undef AFX_CALL_NAME
};

void AfxRestorePlatformCalls() { g_afxCalls = g_afxSystemCalls; }

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
