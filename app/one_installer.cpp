#include "one_installer.h"
#include "manifest.h"

BOOL TakeInstallerMutex(HANDLE* phMutex)
{
    // Without the "Global\" namespace the name is refused; a mutex that another
    // user's installer made may be denied to this one, and is as good as found.
    HANDLE hMutex = sys::CreateMutexA(NULL, FALSE, kSetupMutexName);
    DWORD nError = ::GetLastError();
    if (!hMutex && nError != ERROR_ACCESS_DENIED) {
        hMutex = sys::CreateMutexA(NULL, FALSE, kSetupMutexName + kGlobalPrefixLength);
        nError = ::GetLastError();
    }
    *phMutex = hMutex;
    return nError != ERROR_ALREADY_EXISTS && nError != ERROR_ACCESS_DENIED;
}

void ShowOtherInstaller()
{
    static const char* const kTitles[] = { kInstallerTitle, kWelcomeTitle, kLicenseTitle };
    for (int i = 0; i < (int)ARRAYSIZE(kTitles); ++i) {
        if (HWND hWnd = sys::FindWindowA(NULL, kTitles[i])) {
            ::SetForegroundWindow(hWnd);  // a box open over it comes along
            return;
        }
    }
}
