#include "platform.h"
#include <string.h>

namespace {

typedef DWORD(APIENTRY* PFN_VERINSTALLFILEA)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);

// version.dll is never imported: a static import would be resolved from the
// program's own folder before any of our code runs. The facility is looked up in
// the system directory on first use.
DWORD APIENTRY SystemVerInstallFileA(DWORD a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, LPCSTR f,
                                     LPSTR g, PUINT h)
{
    static PFN_VERINSTALLFILEA pfn;
    if (!pfn) {
        HMODULE hVersion = AfxLoadSystemLibrary("version.dll");
        if (hVersion)
            pfn = (PFN_VERINSTALLFILEA)(void*)::GetProcAddress(hVersion, "VerInstallFileA");
        if (!pfn)
            return VIF_CANNOTREADSRC;
    }
    return pfn(a, b, c, d, e, f, g, h);
}

} // namespace

// Both tables are filled at compile time, before any constructor runs.
#define VerInstallFileA SystemVerInstallFileA
#define AFX_CALL_REAL(ret, cc, name, params, args, fail) &name,
const AfxPlatformCalls g_afxSystemCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
AfxPlatformCalls g_afxCalls = { AFX_PLATFORM_CALLS(AFX_CALL_REAL) };
#undef AFX_CALL_REAL
#undef VerInstallFileA

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
