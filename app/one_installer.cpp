#include "one_installer.h"
#include "manifest.h"
#include <stddef.h>

namespace {

// A SID of the NT authority (S-1-5-...), and an ACE that allows it, as the system
// lays them out.
template <int N> struct NtSid {
    BYTE nRevision, nSubAuthorities;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD anSubAuthority[N];
};
template <int N> struct AllowAce {
    ACE_HEADER header;
    ACCESS_MASK nMask;
    NtSid<N> sid;
};
// The namespace's security descriptor in one block, as a self-relative one: its
// protected DACL lets Administrators and SYSTEM in, and no one else. The
// Administrators' SID in it bounds the namespace too.
struct AdminsOnly {
    SECURITY_DESCRIPTOR_RELATIVE sd;
    ACL dacl;
    AllowAce<2> admins;
    AllowAce<1> system;
};
static_assert(sizeof(AdminsOnly) == 20 + 8 + 24 + 20, "laid out as the system reads it");
const AdminsOnly kAdminsOnly = {
    { SECURITY_DESCRIPTOR_REVISION, 0, SE_SELF_RELATIVE | SE_DACL_PRESENT | SE_DACL_PROTECTED, 0, 0, 0,
      offsetof(AdminsOnly, dacl) },
    { ACL_REVISION, 0, sizeof(AdminsOnly) - offsetof(AdminsOnly, dacl), 2, 0 },
    { { ACCESS_ALLOWED_ACE_TYPE, 0, sizeof(AllowAce<2>) }, GENERIC_ALL,
      { SID_REVISION, 2, SECURITY_NT_AUTHORITY, { SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS } } },
    { { ACCESS_ALLOWED_ACE_TYPE, 0, sizeof(AllowAce<1>) }, GENERIC_ALL,
      { SID_REVISION, 1, SECURITY_NT_AUTHORITY, { SECURITY_LOCAL_SYSTEM_RID } } },
};

} // namespace

BOOL TakeInstallerMutex(HANDLE* phMutex)
{
    // Any user may take a name of the global namespace first, and keep every installer
    // from running; the installers' private namespace only administrators can make.
    // It is made, or opened where another installer made it, and never closed (with it
    // and its boundary, kept too, it lasts as long as a process holds it). Where the
    // system has none, or one is there that this run may not open (made by someone else), the global name;
    // where the "Global\" namespace is refused (Windows 9x, NT 4), the plain one. A mutex
    // that another user's installer made may be denied to this one, and is as good as
    // found.
    static const char* const kNames[] = { kNamespaceSetupMutexName, kSetupMutexName,
                                          kSetupMutexName + kGlobalPrefixLength };
    static const SECURITY_ATTRIBUTES kNamespaceAttributes = { sizeof kNamespaceAttributes,
                                                              (LPVOID)&kAdminsOnly, FALSE };
    int i = 1;
    HANDLE hBoundary = sys::CreateBoundaryDescriptorA(kSetupNamespace, 0);
    if (hBoundary && sys::AddSIDToBoundaryDescriptor(&hBoundary, (PSID)&kAdminsOnly.admins.sid) &&
        (sys::CreatePrivateNamespaceA((LPSECURITY_ATTRIBUTES)&kNamespaceAttributes, hBoundary, kSetupNamespace) ||
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
