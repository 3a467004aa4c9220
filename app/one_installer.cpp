#include "one_installer.h"
#include "manifest.h"
#include "own_folder.h"

namespace {

// The user's own mutex: the name and the user's SID (its bytes in hex), in the
// namespace of the user's session, which no other user can make names in; the plain
// name where the system has no such namespace. Where it keeps no users, the name alone.
BOOL TakeUserMutex(HANDLE* phMutex)
{
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    char szName[sizeof kSessionPrefix + sizeof kSetupMutexName + 2 * SECURITY_MAX_SID_SIZE];
    ::lstrcpyA(szName, kSessionPrefix);
    ::lstrcatA(szName, kSetupMutexName + kGlobalPrefixLength);
    char* pszOut = szName + ::lstrlenA(szName);
    if (ops::ProcessTokenInformation(TokenUser, &info, sizeof info)) {
        const BYTE* p = (const BYTE*)info.user.User.Sid;
        *pszOut++ = '_';
        for (const BYTE* q = p; q < p + 8 + 4 * p[1]; ++q) {
            *pszOut++ = "0123456789ABCDEF"[*q >> 4];
            *pszOut++ = "0123456789ABCDEF"[*q & 15];
        }
    }
    *pszOut = '\0';
    DWORD nError = 0;
    for (int i = 0; i < 2 && !*phMutex && nError != ERROR_ACCESS_DENIED; ++i) {
        *phMutex = sys::CreateMutexA(NULL, FALSE, szName + i * (sizeof kSessionPrefix - 1));
        nError = ::GetLastError();
    }
    return nError != ERROR_ALREADY_EXISTS && nError != ERROR_ACCESS_DENIED;
}

} // namespace

BOOL TakeInstallerMutex(HANDLE* phMutex, BOOL bCurrentUser)
{
    *phMutex = NULL;
    if (bCurrentUser)
        return TakeUserMutex(phMutex);
    // Any user may take a name of the global namespace first, and keep every installer
    // from running; the installers' private namespace only administrators can make.
    // It is made, or opened where another installer made it, and never closed (with it
    // and its boundary, kept too, it lasts as long as a process holds it). Where the
    // system has none, or one is there that this run may not open (made by someone
    // else), the global name; where the "Global\" namespace is refused (Windows 9x,
    // NT 4), the plain one. A mutex
    // that another user's installer made may be denied to this one, and is as good as
    // found.
    static const char* const kNames[] = { kNamespaceSetupMutexName, kSetupMutexName,
                                          kSetupMutexName + kGlobalPrefixLength };
    // Its rights are those of the installer's own folders: Administrators and SYSTEM.
    SECURITY_ATTRIBUTES namespaceAttributes = { sizeof namespaceAttributes, ops::OwnSecurity(ops::kAdministratorsOnly),
                                                FALSE };
    int i = 1;
    HANDLE hBoundary = sys::CreateBoundaryDescriptorA(kSetupNamespace, 0);
    if (hBoundary && sys::AddSIDToBoundaryDescriptor(&hBoundary, ops::AdministratorsSid()) &&
        (sys::CreatePrivateNamespaceA(&namespaceAttributes, hBoundary, kSetupNamespace) ||
         sys::OpenPrivateNamespaceA(hBoundary, kSetupNamespace)))
        i = 0;
    DWORD nError;
    do {
        *phMutex = sys::CreateMutexA(NULL, FALSE, kNames[i]);
        nError = ::GetLastError();
    } while (!*phMutex && nError != ERROR_ACCESS_DENIED && ++i < (int)ARRAYSIZE(kNames));
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
