// The process entry point of the installer, in place of the C runtime's own start-up
// code (which brings argument parsing, floating-point, TLS and console support the
// installer never uses). The C runtime DLL initialises itself when it is loaded;
// what is left here is to run the static constructors and, through exit(), the
// destructors registered with atexit.
#include <windows.h>
#include <stdlib.h>

extern "C" void __main();  // the compiler's static-constructor runner (libmingw32)
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int);

// Destructors of static objects are registered here; exit() runs them. The C runtime
// start-up code that usually supplies atexit is not linked in.
extern "C" int __cdecl atexit(void (__cdecl* pfn)(void))
{
    return _onexit((_onexit_t)pfn) ? 0 : -1;
}

extern "C" void WinMainStartup()
{
    __main();
    exit(WinMain(::GetModuleHandleA(NULL), NULL, NULL, SW_SHOWDEFAULT));
}
