// The platform-call table: every operating-system call whose outcome the installer
// acts on goes through g_afxCalls, never straight to the system. Each entry starts
// as the real function; a test may point an entry elsewhere (to make one call fail
// or answer a chosen value) and AfxRestorePlatformCalls() puts every entry back.
//
// Call sites use the inline forwarders in namespace sys: sys::RegOpenKeyExA(...).
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>
#include <winver.h>
#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <time.h>
#include <tlhelp32.h>

// X(return type, calling convention, name, parameters, arguments, value that reports failure)
#define AFX_PLATFORM_CALLS(X)                                                                      \
    /* processes, libraries, windows */                                                            \
    X(HMODULE, WINAPI, LoadLibraryA, (LPCSTR a), (a), NULL)                                        \
    X(FARPROC, WINAPI, GetProcAddress, (HMODULE a, LPCSTR b), (a, b), NULL)                        \
    X(BOOL, WINAPI, FreeLibrary, (HMODULE a), (a), FALSE)                                          \
    X(HANDLE, WINAPI, CreateMutexA, (LPSECURITY_ATTRIBUTES a, BOOL b, LPCSTR c), (a, b, c), NULL)  \
    X(BOOL, WINAPI, ReleaseMutex, (HANDLE a), (a), FALSE)                                          \
    X(BOOL, WINAPI, CloseHandle, (HANDLE a), (a), FALSE)                                           \
    X(HANDLE, WINAPI, OpenProcess, (DWORD a, BOOL b, DWORD c), (a, b, c), NULL)                    \
    /* the process list; looked up at run time (Windows NT 4 has none, and only Vista */           \
    /* and later name the program file of a process of another session) */                        \
    X(HANDLE, WINAPI, CreateToolhelp32Snapshot, (DWORD a, DWORD b), (a, b), INVALID_HANDLE_VALUE)  \
    X(BOOL, WINAPI, Process32First, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)                 \
    X(BOOL, WINAPI, Process32Next, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)                  \
    X(BOOL, WINAPI, QueryFullProcessImageNameA, (HANDLE a, DWORD b, LPSTR c, PDWORD d),            \
      (a, b, c, d), FALSE)                                                                         \
    X(HWND, WINAPI, FindWindowA, (LPCSTR a, LPCSTR b), (a, b), NULL)                               \
    X(BOOL, WINAPI, PostMessageA, (HWND a, UINT b, WPARAM c, LPARAM d), (a, b, c, d), FALSE)       \
    X(int, WINAPI, GetSystemMetrics, (int a), (a), 0)                                              \
    X(HFONT, WINAPI, CreateFontA,                                                                  \
      (int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k,    \
       DWORD l, DWORD m, LPCSTR n),                                                                \
      (a, b, c, d, e, f, g, h, i, j, k, l, m, n), NULL)                                            \
    /* files, directories, time */                                                                 \
    X(int, __cdecl, _chdrive, (int a), (a), -1)                                                    \
    X(int, __cdecl, _chdir, (const char* a), (a), -1)                                              \
    X(int, __cdecl, _mkdir, (const char* a), (a), -1)                                              \
    X(int, __cdecl, _rmdir, (const char* a), (a), -1)                                              \
    X(char*, __cdecl, _getcwd, (char* a, int b), (a, b), NULL)                                     \
    X(intptr_t, __cdecl, _findfirst, (const char* a, struct _finddata_t* b), (a, b), -1)           \
    X(int, __cdecl, _findnext, (intptr_t a, struct _finddata_t* b), (a, b), -1)                    \
    X(int, __cdecl, _findclose, (intptr_t a), (a), -1)                                             \
    X(FILE*, __cdecl, fopen, (const char* a, const char* b), (a, b), NULL)                         \
    X(size_t, __cdecl, fwrite, (const void* a, size_t b, size_t c, FILE* d), (a, b, c, d), 0)      \
    X(int, __cdecl, fclose, (FILE* a), (a), EOF)                                                   \
    X(int, __cdecl, remove, (const char* a), (a), -1)                                              \
    X(int, __cdecl, rename, (const char* a, const char* b), (a, b), -1)                            \
    X(BOOL, WINAPI, SetFileAttributesA, (LPCSTR a, DWORD b), (a, b), FALSE)                        \
    X(HANDLE, WINAPI, CreateFileA,                                                                 \
      (LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g),           \
      (a, b, c, d, e, f, g), INVALID_HANDLE_VALUE)                                                 \
    X(BOOL, WINAPI, GetFileInformationByHandle, (HANDLE a, LPBY_HANDLE_FILE_INFORMATION b), (a, b), FALSE) \
    X(BOOL, WINAPI, SetFileTime,                                                                   \
      (HANDLE a, const FILETIME* b, const FILETIME* c, const FILETIME* d), (a, b, c, d), FALSE)    \
    X(BOOL, WINAPI, SystemTimeToFileTime, (const SYSTEMTIME* a, LPFILETIME b), (a, b), FALSE)      \
    X(BOOL, WINAPI, LocalFileTimeToFileTime, (const FILETIME* a, LPFILETIME b), (a, b), FALSE)     \
    X(time_t, __cdecl, time, (time_t* a), (a), (time_t)-1)                                         \
    X(BOOL, WINAPI, GetDiskFreeSpaceA,                                                             \
      (LPCSTR a, LPDWORD b, LPDWORD c, LPDWORD d, LPDWORD e), (a, b, c, d, e), FALSE)              \
    X(UINT, WINAPI, GetWindowsDirectoryA, (LPSTR a, UINT b), (a, b), 0)                            \
    /* module resources and the version-installation facility */                                   \
    X(HRSRC, WINAPI, FindResourceA, (HMODULE a, LPCSTR b, LPCSTR c), (a, b, c), NULL)              \
    X(HGLOBAL, WINAPI, LoadResource, (HMODULE a, HRSRC b), (a, b), NULL)                           \
    X(DWORD, WINAPI, SizeofResource, (HMODULE a, HRSRC b), (a, b), 0)                              \
    X(LPVOID, WINAPI, LockResource, (HGLOBAL a), (a), NULL)                                        \
    X(DWORD, WINAPI, VerInstallFileA,                                                              \
      (DWORD a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, LPCSTR f, LPSTR g, PUINT h),               \
      (a, b, c, d, e, f, g, h), VIF_CANNOTCREATE)                                                  \
    /* registry */                                                                                 \
    X(LONG, WINAPI, RegOpenKeyExA, (HKEY a, LPCSTR b, DWORD c, REGSAM d, PHKEY e),                 \
      (a, b, c, d, e), ERROR_ACCESS_DENIED)                                                        \
    X(LONG, WINAPI, RegCreateKeyExA,                                                               \
      (HKEY a, LPCSTR b, DWORD c, LPSTR d, DWORD e, REGSAM f, LPSECURITY_ATTRIBUTES g, PHKEY h,    \
       LPDWORD i),                                                                                 \
      (a, b, c, d, e, f, g, h, i), ERROR_ACCESS_DENIED)                                            \
    X(LONG, WINAPI, RegQueryValueExA,                                                              \
      (HKEY a, LPCSTR b, LPDWORD c, LPDWORD d, LPBYTE e, LPDWORD f), (a, b, c, d, e, f),           \
      ERROR_ACCESS_DENIED)                                                                         \
    X(LONG, WINAPI, RegSetValueExA,                                                                \
      (HKEY a, LPCSTR b, DWORD c, DWORD d, const BYTE* e, DWORD f), (a, b, c, d, e, f),            \
      ERROR_ACCESS_DENIED)                                                                         \
    X(LONG, WINAPI, RegEnumKeyExA,                                                                 \
      (HKEY a, DWORD b, LPSTR c, LPDWORD d, LPDWORD e, LPSTR f, LPDWORD g, PFILETIME h),           \
      (a, b, c, d, e, f, g, h), ERROR_ACCESS_DENIED)                                               \
    X(LONG, WINAPI, RegDeleteKeyA, (HKEY a, LPCSTR b), (a, b), ERROR_ACCESS_DENIED)                \
    X(LONG, WINAPI, RegCloseKey, (HKEY a), (a), ERROR_INVALID_HANDLE)                              \
    /* shell and COM */                                                                            \
    X(HRESULT, WINAPI, SHGetSpecialFolderLocation, (HWND a, int b, PIDLIST_ABSOLUTE* c),           \
      (a, b, c), E_FAIL)                                                                           \
    X(BOOL, WINAPI, SHGetPathFromIDListA, (PCIDLIST_ABSOLUTE a, LPSTR b), (a, b), FALSE)           \
    X(PIDLIST_ABSOLUTE, WINAPI, SHBrowseForFolderA, (LPBROWSEINFOA a), (a), NULL)                  \
    X(HINSTANCE, WINAPI, ShellExecuteA,                                                            \
      (HWND a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, INT f), (a, b, c, d, e, f), (HINSTANCE)2)   \
    X(HRESULT, WINAPI, CoInitialize, (LPVOID a), (a), E_FAIL)                                      \
    X(HRESULT, WINAPI, CoCreateInstance, (REFCLSID a, LPUNKNOWN b, DWORD c, REFIID d, LPVOID* e),  \
      (a, b, c, d, e), E_FAIL)

struct AfxPlatformCalls {
#define AFX_CALL_SLOT(ret, cc, name, params, args, fail) ret(cc* name) params;
    AFX_PLATFORM_CALLS(AFX_CALL_SLOT)
#undef AFX_CALL_SLOT
};

enum AfxCallId {
#define AFX_CALL_ID(ret, cc, name, params, args, fail) AFX_CALL_##name,
    AFX_PLATFORM_CALLS(AFX_CALL_ID)
#undef AFX_CALL_ID
    AFX_CALL_COUNT
};

extern AfxPlatformCalls g_afxCalls;                 // what the program calls
extern const AfxPlatformCalls g_afxSystemCalls;     // the real functions
extern const char* const g_afxCallNames[AFX_CALL_COUNT];
void AfxRestorePlatformCalls();

namespace sys {
#define AFX_CALL_FORWARD(ret, cc, name, params, args, fail) \
    inline ret name params { return g_afxCalls.name args; }
AFX_PLATFORM_CALLS(AFX_CALL_FORWARD)
#undef AFX_CALL_FORWARD
}

// Loads a library from the system directory only (never from the program's folder
// or the current directory), through the table's LoadLibraryA.
HMODULE AfxLoadSystemLibrary(const char* pszName);
