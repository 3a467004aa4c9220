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
#include <io.h>
#include <time.h>
#include <tlhelp32.h>

// X(library, return type, calling convention, name, parameters, arguments, value that
// reports failure). The library says where the real function comes from: "imported",
// the program's import table; "crt", a call of the C runtime's by its name and contract,
// made by the framework over kernel32 (namespace crt, platform_crt.cpp), since the
// program imports no C runtime (Windows 95 has none); or a system library (kernel32,
// version, advapi32) that is loaded from the system directory and looked up when the
// call is made. Late-bound so are the calls that older systems lack (an import would
// keep the program from loading there) and version.dll, which is never imported (a
// static import would be resolved from the program's own folder before any of our code
// runs). Where the system lacks the function, the call fails with the row's failure
// value and ERROR_PROC_NOT_FOUND.
#define AFX_PLATFORM_CALLS(X)                                                                      \
    /* processes, libraries, windows */                                                            \
    X(imported, DWORD, WINAPI, GetVersion, (), (), 0)                                              \
    X(imported, HMODULE, WINAPI, LoadLibraryA, (LPCSTR a), (a), NULL)                              \
    X(imported, FARPROC, WINAPI, GetProcAddress, (HMODULE a, LPCSTR b), (a, b), NULL)              \
    X(imported, HANDLE, WINAPI, CreateMutexA, (LPSECURITY_ATTRIBUTES a, BOOL b, LPCSTR c),         \
      (a, b, c), NULL)                                                                             \
    X(imported, BOOL, WINAPI, ReleaseMutex, (HANDLE a), (a), FALSE)                                \
    X(imported, BOOL, WINAPI, CloseHandle, (HANDLE a), (a), FALSE)                                 \
    X(imported, HANDLE, WINAPI, OpenProcess, (DWORD a, BOOL b, DWORD c), (a, b, c), NULL)          \
    /* the library search: SetDefaultDllDirectories since Windows 8 (7 and Vista with an */        \
    /* update), SetDllDirectoryA since XP SP1 */                                                   \
    X(kernel32, BOOL, WINAPI, SetDefaultDllDirectories, (DWORD a), (a), FALSE)                     \
    X(kernel32, BOOL, WINAPI, SetDllDirectoryA, (LPCSTR a), (a), FALSE)                            \
    /* the installers' private namespace, since Vista; the refusal of junctions and other */       \
    /* redirections that a non-administrator made, since Windows 10 21H2 */                        \
    X(kernel32, HANDLE, WINAPI, CreateBoundaryDescriptorA, (LPCSTR a, ULONG b), (a, b), NULL)      \
    X(kernel32, BOOL, WINAPI, AddSIDToBoundaryDescriptor, (HANDLE* a, PSID b), (a, b), FALSE)      \
    X(kernel32, HANDLE, WINAPI, CreatePrivateNamespaceA,                                           \
      (LPSECURITY_ATTRIBUTES a, LPVOID b, LPCSTR c), (a, b, c), NULL)                              \
    X(kernel32, HANDLE, WINAPI, OpenPrivateNamespaceA, (LPVOID a, LPCSTR b), (a, b), NULL)         \
    X(kernel32, BOOL, WINAPI, SetProcessMitigationPolicy,                                          \
      (PROCESS_MITIGATION_POLICY a, PVOID b, SIZE_T c), (a, b, c), FALSE)                          \
    /* the process list: Windows NT 4 has none, and only Vista and later name the program */       \
    /* file of a process of another session */                                                     \
    X(kernel32, HANDLE, WINAPI, CreateToolhelp32Snapshot, (DWORD a, DWORD b),                      \
      (a, b), INVALID_HANDLE_VALUE)                                                                \
    X(kernel32, BOOL, WINAPI, Process32First, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)       \
    X(kernel32, BOOL, WINAPI, Process32Next, (HANDLE a, LPPROCESSENTRY32 b), (a, b), FALSE)        \
    X(kernel32, BOOL, WINAPI, QueryFullProcessImageNameA, (HANDLE a, DWORD b, LPSTR c, PDWORD d),  \
      (a, b, c, d), FALSE)                                                                         \
    X(imported, HWND, WINAPI, FindWindowA, (LPCSTR a, LPCSTR b), (a, b), NULL)                     \
    X(imported, BOOL, WINAPI, PostMessageA, (HWND a, UINT b, WPARAM c, LPARAM d),                  \
      (a, b, c, d), FALSE)                                                                         \
    X(imported, int, WINAPI, GetSystemMetrics, (int a), (a), 0)                                    \
    X(imported, HFONT, WINAPI, CreateFontA,                                                        \
      (int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i, DWORD j, DWORD k,    \
       DWORD l, DWORD m, LPCSTR n),                                                                \
      (a, b, c, d, e, f, g, h, i, j, k, l, m, n), NULL)                                            \
    /* files, directories, time */                                                                 \
    X(crt, int, __cdecl, _chdrive, (int a), (a), -1)                                               \
    X(crt, int, __cdecl, _chdir, (const char* a), (a), -1)                                         \
    X(crt, int, __cdecl, _mkdir, (const char* a), (a), -1)                                         \
    X(crt, int, __cdecl, _rmdir, (const char* a), (a), -1)                                         \
    X(crt, char*, __cdecl, _getcwd, (char* a, int b), (a, b), NULL)                                \
    X(crt, intptr_t, __cdecl, _findfirst, (const char* a, struct _finddata_t* b), (a, b), -1)      \
    X(crt, int, __cdecl, _findnext, (intptr_t a, struct _finddata_t* b), (a, b), -1)               \
    X(crt, int, __cdecl, _findclose, (intptr_t a), (a), -1)                                        \
    X(crt, int, __cdecl, remove, (const char* a), (a), -1)                                         \
    X(crt, int, __cdecl, rename, (const char* a, const char* b), (a, b), -1)                       \
    X(imported, BOOL, WINAPI, MoveFileA, (LPCSTR a, LPCSTR b), (a, b), FALSE)                      \
    X(kernel32, BOOL, WINAPI, MoveFileExA, (LPCSTR a, LPCSTR b, DWORD c), (a, b, c), FALSE)         \
    X(imported, HANDLE, WINAPI, CreateFileMappingA,                                                \
      (HANDLE a, LPSECURITY_ATTRIBUTES b, DWORD c, DWORD d, DWORD e, LPCSTR f),                    \
      (a, b, c, d, e, f), NULL)                                                                    \
    X(imported, LPVOID, WINAPI, MapViewOfFile, (HANDLE a, DWORD b, DWORD c, DWORD d, SIZE_T e),     \
      (a, b, c, d, e), NULL)                                                                       \
    /* whether two views are of one file: the installer's own file against its image */          \
    X(ntdll, LONG, NTAPI, NtAreMappedFilesTheSame, (PVOID a, PVOID b), (a, b),                     \
      (LONG)0xC0000002)                                                                            \
    X(imported, DWORD, WINAPI, GetModuleFileNameA, (HMODULE a, LPSTR b, DWORD c), (a, b, c), 0)    \
    X(imported, BOOL, WINAPI, SetFileAttributesA, (LPCSTR a, DWORD b), (a, b), FALSE)              \
    X(imported, HANDLE, WINAPI, CreateFileA,                                                       \
      (LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g),           \
      (a, b, c, d, e, f, g), INVALID_HANDLE_VALUE)                                                 \
    X(imported, BOOL, WINAPI, GetFileInformationByHandle,                                          \
      (HANDLE a, LPBY_HANDLE_FILE_INFORMATION b), (a, b), FALSE)                                   \
    X(imported, BOOL, WINAPI, WriteFile,                                                           \
      (HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e), (a, b, c, d, e), FALSE)           \
    X(imported, BOOL, WINAPI, ReadFile,                                                            \
      (HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e), (a, b, c, d, e), FALSE)            \
    X(imported, BOOL, WINAPI, FlushFileBuffers, (HANDLE a), (a), FALSE)                            \
    X(imported, DWORD, WINAPI, SetFilePointer, (HANDLE a, LONG b, PLONG c, DWORD d),               \
      (a, b, c, d), INVALID_SET_FILE_POINTER)                                                      \
    X(imported, DWORD, WINAPI, GetFileType, (HANDLE a), (a), FILE_TYPE_UNKNOWN)                    \
    X(imported, DWORD, WINAPI, GetFullPathNameA, (LPCSTR a, DWORD b, LPSTR c, LPSTR* d),           \
      (a, b, c, d), 0)                                                                             \
    X(imported, BOOL, WINAPI, SetFileTime,                                                         \
      (HANDLE a, const FILETIME* b, const FILETIME* c, const FILETIME* d), (a, b, c, d), FALSE)    \
    X(imported, BOOL, WINAPI, SystemTimeToFileTime, (const SYSTEMTIME* a, LPFILETIME b),           \
      (a, b), FALSE)                                                                               \
    X(imported, BOOL, WINAPI, LocalFileTimeToFileTime, (const FILETIME* a, LPFILETIME b),          \
      (a, b), FALSE)                                                                               \
    X(crt, time_t, __cdecl, time, (time_t* a), (a), (time_t)-1)                                    \
    X(imported, BOOL, WINAPI, FileTimeToLocalFileTime, (const FILETIME* a, LPFILETIME b),          \
      (a, b), FALSE)                                                                               \
    X(imported, BOOL, WINAPI, FileTimeToSystemTime, (const FILETIME* a, LPSYSTEMTIME b),           \
      (a, b), FALSE)                                                                               \
    X(imported, BOOL, WINAPI, GetDiskFreeSpaceA,                                                   \
      (LPCSTR a, LPDWORD b, LPDWORD c, LPDWORD d, LPDWORD e), (a, b, c, d, e), FALSE)              \
    X(kernel32, BOOL, WINAPI, GetDiskFreeSpaceExA,                                                 \
      (LPCSTR a, PULARGE_INTEGER b, PULARGE_INTEGER c, PULARGE_INTEGER d), (a, b, c, d), FALSE)    \
    X(imported, UINT, WINAPI, GetWindowsDirectoryA, (LPSTR a, UINT b), (a, b), 0)                  \
    X(imported, BOOL, WINAPI, CreateDirectoryA, (LPCSTR a, LPSECURITY_ATTRIBUTES b), (a, b), FALSE) \
    X(imported, DWORD, WINAPI, GetFileAttributesA, (LPCSTR a), (a), INVALID_FILE_ATTRIBUTES)       \
    X(imported, BOOL, WINAPI, GetVolumeInformationA,                                               \
      (LPCSTR a, LPSTR b, DWORD c, LPDWORD d, LPDWORD e, LPDWORD f, LPSTR g, DWORD h),             \
      (a, b, c, d, e, f, g, h), FALSE)                                                             \
    /* security: what a folder's owner and rights are (read through a handle), a folder */       \
    /* taken over and given back, and who this process runs as; Windows 9x has none of it */       \
    X(advapi32, BOOL, WINAPI, GetKernelObjectSecurity,                                             \
      (HANDLE a, SECURITY_INFORMATION b, PSECURITY_DESCRIPTOR c, DWORD d, LPDWORD e),              \
      (a, b, c, d, e), FALSE)                                                                      \
    X(advapi32, BOOL, WINAPI, SetFileSecurityA,                                                    \
      (LPCSTR a, SECURITY_INFORMATION b, PSECURITY_DESCRIPTOR c), (a, b, c), FALSE)                \
    X(advapi32, BOOL, WINAPI, OpenProcessToken, (HANDLE a, DWORD b, PHANDLE c), (a, b, c), FALSE)  \
    X(advapi32, BOOL, WINAPI, GetTokenInformation,                                                 \
      (HANDLE a, TOKEN_INFORMATION_CLASS b, LPVOID c, DWORD d, PDWORD e), (a, b, c, d, e), FALSE)  \
    X(advapi32, BOOL, WINAPI, AdjustTokenPrivileges,                                               \
      (HANDLE a, BOOL b, PTOKEN_PRIVILEGES c, DWORD d, PTOKEN_PRIVILEGES e, PDWORD f),             \
      (a, b, c, d, e, f), FALSE)                                                                   \
    /* since Windows 2000 */                                                                       \
    X(advapi32, BOOL, WINAPI, CheckTokenMembership, (HANDLE a, PSID b, PBOOL c), (a, b, c), FALSE) \
    /* module resources and the version-installation facility */                                   \
    X(imported, HRSRC, WINAPI, FindResourceA, (HMODULE a, LPCSTR b, LPCSTR c), (a, b, c), NULL)    \
    X(imported, HGLOBAL, WINAPI, LoadResource, (HMODULE a, HRSRC b), (a, b), NULL)                 \
    X(imported, DWORD, WINAPI, SizeofResource, (HMODULE a, HRSRC b), (a, b), 0)                    \
    X(imported, LPVOID, WINAPI, LockResource, (HGLOBAL a), (a), NULL)                              \
    X(version, DWORD, WINAPI, VerInstallFileA,                                                     \
      (DWORD a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, LPCSTR f, LPSTR g, PUINT h),               \
      (a, b, c, d, e, f, g, h), VIF_CANNOTCREATE)                                                  \
    /* registry */                                                                                 \
    X(imported, LONG, WINAPI, RegOpenKeyExA, (HKEY a, LPCSTR b, DWORD c, REGSAM d, PHKEY e),       \
      (a, b, c, d, e), ERROR_ACCESS_DENIED)                                                        \
    X(imported, LONG, WINAPI, RegCreateKeyExA,                                                     \
      (HKEY a, LPCSTR b, DWORD c, LPSTR d, DWORD e, REGSAM f, LPSECURITY_ATTRIBUTES g, PHKEY h,    \
       LPDWORD i),                                                                                 \
      (a, b, c, d, e, f, g, h, i), ERROR_ACCESS_DENIED)                                            \
    X(imported, LONG, WINAPI, RegQueryValueExA,                                                    \
      (HKEY a, LPCSTR b, LPDWORD c, LPDWORD d, LPBYTE e, LPDWORD f),                               \
      (a, b, c, d, e, f), ERROR_ACCESS_DENIED)                                                     \
    X(imported, LONG, WINAPI, RegSetValueExA,                                                      \
      (HKEY a, LPCSTR b, DWORD c, DWORD d, const BYTE* e, DWORD f),                                \
      (a, b, c, d, e, f), ERROR_ACCESS_DENIED)                                                     \
    X(imported, LONG, WINAPI, RegEnumKeyExA,                                                       \
      (HKEY a, DWORD b, LPSTR c, LPDWORD d, LPDWORD e, LPSTR f, LPDWORD g, PFILETIME h),           \
      (a, b, c, d, e, f, g, h), ERROR_ACCESS_DENIED)                                               \
    X(imported, LONG, WINAPI, RegEnumValueA,                                                       \
      (HKEY a, DWORD b, LPSTR c, LPDWORD d, LPDWORD e, LPDWORD f, LPBYTE g, LPDWORD h),            \
      (a, b, c, d, e, f, g, h), ERROR_ACCESS_DENIED)                                               \
    X(imported, LONG, WINAPI, RegDeleteKeyA, (HKEY a, LPCSTR b), (a, b), ERROR_ACCESS_DENIED)      \
    X(imported, LONG, WINAPI, RegQueryInfoKeyA,                                                    \
      (HKEY a, LPSTR b, LPDWORD c, LPDWORD d, LPDWORD e, LPDWORD f, LPDWORD g, LPDWORD h,          \
       LPDWORD i, LPDWORD j, LPDWORD k, PFILETIME l),                                              \
      (a, b, c, d, e, f, g, h, i, j, k, l), ERROR_ACCESS_DENIED)                                   \
    X(imported, LONG, WINAPI, RegCloseKey, (HKEY a), (a), ERROR_INVALID_HANDLE)                    \
    /* shell and COM */                                                                            \
    X(imported, HRESULT, WINAPI, SHGetSpecialFolderLocation, (HWND a, int b, PIDLIST_ABSOLUTE* c), \
      (a, b, c), E_FAIL)                                                                           \
    X(imported, BOOL, WINAPI, SHGetPathFromIDListA, (PCIDLIST_ABSOLUTE a, LPSTR b), (a, b), FALSE) \
    X(imported, PIDLIST_ABSOLUTE, WINAPI, SHBrowseForFolderA, (LPBROWSEINFOA a), (a), NULL)        \
    X(imported, HINSTANCE, WINAPI, ShellExecuteA,                                                  \
      (HWND a, LPCSTR b, LPCSTR c, LPCSTR d, LPCSTR e, INT f), (a, b, c, d, e, f), (HINSTANCE)2)   \
    X(imported, BOOL, WINAPI, ShellExecuteExA, (LPSHELLEXECUTEINFOA a), (a), FALSE)                \
    X(imported, DWORD, WINAPI, WaitForSingleObject, (HANDLE a, DWORD b), (a, b), WAIT_FAILED)      \
    X(imported, BOOL, WINAPI, GetExitCodeProcess, (HANDLE a, LPDWORD b), (a, b), FALSE)            \
    X(imported, HRESULT, WINAPI, CoInitialize, (LPVOID a), (a), E_FAIL)                            \
    X(imported, HRESULT, WINAPI, CoCreateInstance,                                                 \
      (REFCLSID a, LPUNKNOWN b, DWORD c, REFIID d, LPVOID* e), (a, b, c, d, e), E_FAIL)

// AFX_LATE_<library>(...) keeps its arguments for a late-bound row and drops them
// for any other; AFX_CRT_<library>(...) keeps them for a row of the C runtime's only.
// AFX_REAL_<library>(name) is the real function of a row.
#define AFX_LATE_imported(...)
#define AFX_LATE_crt(...)
#define AFX_LATE_kernel32(...) __VA_ARGS__
#define AFX_LATE_version(...) __VA_ARGS__
#define AFX_LATE_advapi32(...) __VA_ARGS__
#define AFX_LATE_ntdll(...) __VA_ARGS__
#define AFX_CRT_imported(...)
#define AFX_CRT_crt(...) __VA_ARGS__
#define AFX_CRT_kernel32(...)
#define AFX_CRT_version(...)
#define AFX_CRT_advapi32(...)
#define AFX_CRT_ntdll(...)
#define AFX_REAL_imported(name) &name
#define AFX_REAL_crt(name) &crt::name
#define AFX_REAL_kernel32(name) &Late##name
#define AFX_REAL_version(name) &Late##name
#define AFX_REAL_advapi32(name) &Late##name
#define AFX_REAL_ntdll(name) &Late##name

// The C runtime's calls, each under its own name in namespace crt, so that they never
// clash with the C runtime that the test programs link.
namespace crt {
#define AFX_CRT_DECLARE(lib, ret, cc, name, params, args, fail) AFX_CRT_##lib(ret cc name params;)
AFX_PLATFORM_CALLS(AFX_CRT_DECLARE)
#undef AFX_CRT_DECLARE
}

struct AfxPlatformCalls {
#define AFX_CALL_SLOT(lib, ret, cc, name, params, args, fail) ret(cc* name) params;
    AFX_PLATFORM_CALLS(AFX_CALL_SLOT)
#undef AFX_CALL_SLOT
};

enum AfxCallId {
#define AFX_CALL_ID(lib, ret, cc, name, params, args, fail) AFX_CALL_##name,
    AFX_PLATFORM_CALLS(AFX_CALL_ID)
#undef AFX_CALL_ID
    AFX_CALL_COUNT
};

extern AfxPlatformCalls g_afxCalls;                 // what the program calls
extern const AfxPlatformCalls g_afxSystemCalls;     // the real functions
extern const char* const g_afxCallNames[AFX_CALL_COUNT];
void AfxRestorePlatformCalls();

// The function of a late-bound row, from its library as loaded from the system
// directory (through the table's LoadLibraryA and GetProcAddress); NULL, with
// ERROR_PROC_NOT_FOUND, where the system lacks the library or the function.
FARPROC __fastcall AfxFindLateCall(const char* pszName, const char* pszLibrary);
// The same for a row of kernel32, which most late-bound rows are: each of their
// entries passes one argument less.
FARPROC __fastcall AfxFindKernel32Call(const char* pszName);
#define AFX_FIND_kernel32(name) AfxFindKernel32Call(name)
#define AFX_FIND_version(name) AfxFindLateCall(name, "version.dll")
#define AFX_FIND_advapi32(name) AfxFindLateCall(name, "advapi32.dll")
#define AFX_FIND_ntdll(name) AfxFindLateCall(name, "ntdll.dll")

namespace sys {
#define AFX_CALL_FORWARD(lib, ret, cc, name, params, args, fail) \
    inline ret name params { return g_afxCalls.name args; }
AFX_PLATFORM_CALLS(AFX_CALL_FORWARD)
#undef AFX_CALL_FORWARD
// sys::Find<name>() of a late-bound row: whether the system has the call, and what
// the row's real entry calls.
#define AFX_CALL_FINDER(lib, ret, cc, name, params, args, fail) \
    AFX_LATE_##lib(inline FARPROC Find##name() { return AFX_FIND_##lib(#name); })
AFX_PLATFORM_CALLS(AFX_CALL_FINDER)
#undef AFX_CALL_FINDER
}

// Whether the system is one of the Windows 9x family (95, 98, Me), by the table's GetVersion.
BOOL AfxIsWindows9x();
// CreateFileA's flags that only some systems know, each where the system has it and 0
// elsewhere (where they make the call fail): the sharing of deletion, from the NT family;
// the opening of a reparse point itself, from Windows 2000.
DWORD AfxShareDelete();
DWORD AfxOpenReparsePoint();

// Loads a library from the system directory only (never from the program's folder
// or the current directory), through the table's LoadLibraryA.
HMODULE AfxLoadSystemLibrary(const char* pszName);
