// The program's entry point: harden the DLL search, then run the one application object.
#include "winapp.h"
#include <commctrl.h>

namespace {

typedef BOOL(WINAPI* PFN_SETDEFAULTDLLDIRECTORIES)(DWORD);
typedef BOOL(WINAPI* PFN_SETDLLDIRECTORYA)(LPCSTR);

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

bool IsWindowsVista()
{
    OSVERSIONINFOA vi;
    vi.dwOSVersionInfoSize = sizeof vi;
    return ::GetVersionExA(&vi) && vi.dwMajorVersion == 6 && vi.dwMinorVersion == 0;
}

// Libraries loaded by name are taken from the system directory only, never from the
// folder the installer was started from (often the user's downloads), where a planted
// DLL would run with the installer's rights. Both calls are looked up at run time:
// older systems lack them. Vista's update that adds SetDefaultDllDirectories breaks
// CoCreateInstance of the shell-link class, so Vista takes the older call.
void RestrictDllSearch()
{
    HMODULE hKernel = ::GetModuleHandleA("kernel32.dll");
    if (!hKernel)
        return;
    PFN_SETDEFAULTDLLDIRECTORIES pfnDefault =
        (PFN_SETDEFAULTDLLDIRECTORIES)(void*)::GetProcAddress(hKernel, "SetDefaultDllDirectories");
    if (pfnDefault && !IsWindowsVista() && pfnDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    PFN_SETDLLDIRECTORYA pfnDllDirectory =
        (PFN_SETDLLDIRECTORYA)(void*)::GetProcAddress(hKernel, "SetDllDirectoryA");
    if (pfnDllDirectory)
        pfnDllDirectory("");
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    RestrictDllSearch();
    // The manifest asks for Common Controls 6: the library must be loaded before
    // the first dialog, or systems that honour the manifest cannot create its
    // buttons and edits.
    ::InitCommonControls();
    return AfxWinMain(hInstance, lpCmdLine);
}
