// The process entry point of the installer, in place of the C runtime's own start-up
// code (which brings argument parsing, floating-point, TLS and console support the
// installer never uses, and a C runtime DLL that Windows 95 lacks): it runs the static
// constructors, the program, the destructors registered with atexit, and ends the
// process with the program's exit code.
#include <windows.h>
#include "afx.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int);

// The static constructors, as the linker lists them: a count that it leaves at -1,
// the constructors, then NULL. They run from the last to the first, as the
// compiler's own runner (libmingw32's __main) runs them; that runner is not linked
// in, and with it goes the unwind table it carries. C++ destructors go through
// atexit, so the linker's destructor list stays empty.
extern "C" void (*__CTOR_LIST__[])();

static void RunStaticConstructors()
{
    int n = 0;
    while (__CTOR_LIST__[n + 1])
        ++n;
    for (; n > 0; --n)
        __CTOR_LIST__[n]();
}

// The destructors of static objects, registered as each object is made, run last first.
// Room for the 32 that the C language promises; the installer has a handful.
typedef void(__cdecl* ExitFunction)(void);
static AFX_ZERO_INIT ExitFunction g_exitFunctions[32];
static AFX_ZERO_INIT int g_nExitFunctions;

extern "C" int __cdecl atexit(ExitFunction pfn)
{
    if (g_nExitFunctions == (int)(sizeof g_exitFunctions / sizeof *g_exitFunctions))
        return -1;
    g_exitFunctions[g_nExitFunctions++] = pfn;
    return 0;
}

extern "C" void WinMainStartup()
{
    RunStaticConstructors();
    char szModule[MAX_PATH];
    const DWORD nModule = ::GetModuleFileNameA(NULL, szModule, MAX_PATH);
    szModule[nModule < MAX_PATH ? nModule : 0] = '\0';
    const int nExitCode = WinMain(::GetModuleHandleA(NULL), NULL,
                                  AfxCommandLineArguments(::GetCommandLineA(), szModule), SW_SHOWDEFAULT);
    while (g_nExitFunctions > 0)
        g_exitFunctions[--g_nExitFunctions]();
    ::ExitProcess(nExitCode);
}
