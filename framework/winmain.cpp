// The program's entry point: harden the DLL search and the following of junctions, then
// run the one application object.
#include "platform.h"
#include "winapp.h"
#include <commctrl.h>

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Version 6.0: the major version in the low byte, the minor one in the next.
bool IsWindowsVista() { return (::GetVersion() & 0xFFFF) == 6; }

// Libraries loaded by name are taken from the system directory only, never from the
// folder the installer was started from (often the user's downloads), where a planted
// DLL would run with the installer's rights. Both calls are late-bound (older systems
// lack them), found in kernel32 by its full path in the system directory. Vista's update
// that adds SetDefaultDllDirectories breaks CoCreateInstance of the shell-link class,
// so Vista takes the older call.
void RestrictDllSearch()
{
    if (!IsWindowsVista() && sys::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    sys::SetDllDirectoryA("");
}

// Where the system offers it (Windows 10 21H2, 11), the process follows no junction or
// other redirection that a non-administrator made: one planted under a folder the
// installer writes to would send its files elsewhere. Older systems refuse the call,
// and the process goes on as before.
void RefuseUntrustedRedirections()
{
    static const DWORD kEnforceRedirectionTrust = 1;
    sys::SetProcessMitigationPolicy(ProcessRedirectionTrustPolicy, (PVOID)&kEnforceRedirectionTrust,
                                    sizeof kEnforceRedirectionTrust);
}

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int)
{
    RestrictDllSearch();
    RefuseUntrustedRedirections();
    // The manifest asks for Common Controls 6: the library must be loaded before
    // the first dialog, or systems that honour the manifest cannot create its
    // buttons and edits.
    ::InitCommonControls();
    return AfxWinMain(hInstance, lpCmdLine);
}
