/*
 * STAND-IN for the product's uninstaller Uninstall.exe (Merolin 1.31, Tolvane Software).
 *
 * This is NOT the product's uninstaller and it removes nothing: it only tells the user
 * what it is and exits with code 0. The installer carries it as payload and makes a
 * program-group shortcut "Uninstall Merolin" to it.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR cmdLine, int nShow)
{
    (void)hInst;
    (void)hPrev;
    (void)cmdLine;
    (void)nShow;
    MessageBoxA(NULL,
                "This is the stand-in uninstaller of Merolin 1.31 (Tolvane Software).\r\n\r\n"
                "It is a placeholder used to build and test the installer and removes nothing.",
                "Uninstall Merolin", MB_OK | MB_ICONINFORMATION);
    return 0;
}
