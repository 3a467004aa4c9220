// A "version.dll" planted beside a program, as an attacker would leave one in a
// downloads folder. Whoever loads it leaves a marker file next to it, naming the
// loading program; its VerInstallFileA fails, and says so, should anyone call it.
#include <windows.h>

static HMODULE g_self;

static void LeaveMarker(const char* what)
{
    char path[MAX_PATH + 64], exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    lstrcatA(path, ".loaded");
    HANDLE h = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    if (!GetModuleFileNameA(NULL, exe, MAX_PATH))
        lstrcpyA(exe, "?");
    WriteFile(h, what, lstrlenA(what), &written, NULL);
    WriteFile(h, " by ", 4, &written, NULL);
    WriteFile(h, exe, lstrlenA(exe), &written, NULL);
    WriteFile(h, "\r\n", 2, &written, NULL);
    CloseHandle(h);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinst, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = hinst;
        LeaveMarker("loaded");
    }
    return TRUE;
}

// The query functions answer "no version information" (the system's user interface
// library of Wine imports some of them, so a planted copy is mapped into every
// window program started beside it under these overrides).
extern "C" DWORD WINAPI PlantedGetFileVersionInfoSize(LPCVOID, LPDWORD)
{
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
}
extern "C" BOOL WINAPI PlantedGetFileVersionInfo(LPCVOID, DWORD, DWORD, LPVOID)
{
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return FALSE;
}
extern "C" BOOL WINAPI PlantedVerQueryValue(LPCVOID, LPCVOID, LPVOID*, PUINT)
{
    return FALSE;
}

// Exported as VerInstallFileA (planted_version.def): the function that expands the
// installer's payload. It installs nothing.
extern "C" DWORD WINAPI PlantedVerInstallFileA(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT)
{
    LeaveMarker("VerInstallFileA called");
    return 0x00000400; /* VIF_CANNOTCREATE */
}
