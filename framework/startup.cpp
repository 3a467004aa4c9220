// The process entry point of the installer, in place of the C runtime's own start-up
// code (which brings argument parsing, floating-point, TLS and console support the
// installer never uses). The C runtime DLL initialises itself when it is loaded;
// what is left here is to run the static constructors and, through exit(), the
// destructors registered with atexit.
#include <windows.h>
#include "winapp.h"
#include <stdlib.h>

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

// Destructors of static objects are registered here; exit() runs them. The C runtime
// start-up code that usually supplies atexit is not linked in.
extern "C" int __cdecl atexit(void (__cdecl* pfn)(void))
{
    return _onexit((_onexit_t)pfn) ? 0 : -1;
}

extern "C" void WinMainStartup()
{
    RunStaticConstructors();
    char szModule[MAX_PATH];
    const DWORD nModule = ::GetModuleFileNameA(NULL, szModule, MAX_PATH);
    szModule[nModule < MAX_PATH ? nModule : 0] = '\0';
    exit(WinMain(::GetModuleHandleA(NULL), NULL, AfxCommandLineArguments(::GetCommandLineA(), szModule),
                 SW_SHOWDEFAULT));
}
