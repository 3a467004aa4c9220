#include "own_folder.h"
#include "path.h"
#include <string.h>

namespace ops {
namespace {

// The well-known SIDs, as bytes: revision, count of subauthorities, the NT authority
// (5), then the subauthorities (little-endian).
#define MEROLIN_SID_ADMINISTRATORS 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0  // S-1-5-32-544
#define MEROLIN_SID_SYSTEM 1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0                         // S-1-5-18
#define MEROLIN_SID_USERS 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0           // S-1-5-32-545
// An access-allowed entry inherited by folders and files below (OI|CI): its size, mask, SID.
#define MEROLIN_ACE(size, mask, ...) 0, 3, size, 0, (mask) & 0xFF, (mask) >> 8 & 0xFF, (mask) >> 16 & 0xFF, 0, __VA_ARGS__
const DWORD kFullControl = 0x1F01FF;
const DWORD kReadAndRun = 0x1200A9;

// A self-relative security descriptor: owner Administrators; a protected DACL (nothing
// inherited from above) giving full control to Administrators and SYSTEM, and read and
// run to Users: kProgramRights. kAdministratorsOnly is the same with the DACL's count
// of entries one less (the Users' entry then stands in the ACL's free space).
const int kAceCountAt = 40;
const BYTE kProgramSecurity[112] = {
    1, 0, 0x04, 0x90, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 36, 0, 0, 0, MEROLIN_SID_ADMINISTRATORS,
    2, 0, 76, 0, 3, 0, 0, 0, MEROLIN_ACE(24, kFullControl, MEROLIN_SID_ADMINISTRATORS),
    MEROLIN_ACE(20, kFullControl, MEROLIN_SID_SYSTEM), MEROLIN_ACE(24, kReadAndRun, MEROLIN_SID_USERS),
};
BYTE g_adminsOnlySecurity[sizeof kProgramSecurity] AFX_ZERO_INIT;
const BYTE* const kAdministratorsSid = kProgramSecurity + 20;
const BYTE* const kSystemSid = kProgramSecurity + 76;

// What lets someone change a folder: write, append or make entries, delete it or what
// is in it, change its attributes, rights or owner.
const DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                              FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                              MAXIMUM_ALLOWED;

// The length of a SID of that many bytes at most; 0 when it is not whole.
DWORD SidLength(const BYTE* pSid, DWORD nLeft)
{
    return nLeft >= 8 && nLeft >= 8u + 4u * pSid[1] ? 8 + 4 * pSid[1] : 0;
}

BOOL SameSid(const BYTE* pSid, DWORD nLeft, const BYTE* pKnown)
{
    const DWORD n = SidLength(pSid, nLeft);
    return n && n == SidLength(pKnown, 68) && memcmp(pSid, pKnown, n) == 0;
}

// Administrators, SYSTEM, or the user this process runs as (an administrator: an
// elevated run's folders may be owned by it, and Wine gives every folder to it).
BOOL IsTrustedSid(const BYTE* pSid, DWORD nLeft)
{
    if (SameSid(pSid, nLeft, kAdministratorsSid) || SameSid(pSid, nLeft, kSystemSid))
        return TRUE;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    return ProcessTokenInformation(TokenUser, &info, sizeof info) &&
           SameSid(pSid, nLeft, (const BYTE*)info.user.User.Sid);
}

// Whether the drive of the path keeps rights at all.
BOOL KeepsRights(const char* pszPath)
{
    const char szRoot[] = { pszPath[0], ':', '\\', '\0' };
    DWORD dwFlags;
    return !sys::GetVolumeInformationA(szRoot, NULL, 0, NULL, NULL, &dwFlags, NULL, 0) ||
           (dwFlags & FS_PERSISTENT_ACLS);
}

} // namespace

PSECURITY_DESCRIPTOR OwnSecurity(FolderRights rights)
{
    if (rights != kAdministratorsOnly)
        return rights == kProgramRights ? (PSECURITY_DESCRIPTOR)kProgramSecurity : NULL;
    memcpy(g_adminsOnlySecurity, kProgramSecurity, sizeof kProgramSecurity);
    g_adminsOnlySecurity[kAceCountAt] = 2;
    return g_adminsOnlySecurity;
}

PSID AdministratorsSid() { return (PSID)kAdministratorsSid; }

BOOL ProcessTokenInformation(TOKEN_INFORMATION_CLASS infoClass, void* pInfo, DWORD nInfo)
{
    HANDLE hToken;
    if (!sys::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return FALSE;
    CHandle token(hToken);
    return sys::GetTokenInformation(token, infoClass, pInfo, nInfo, &nInfo);
}

BOOL MakeOwnFolder(const char* pszPath, FolderRights rights)
{
    SECURITY_ATTRIBUTES sa = { sizeof sa, OwnSecurity(rights), FALSE };
    return sys::CreateDirectoryA(pszPath, &sa);
}

BOOL IsTrustedFolder(const char* pszPath)
{
    const DWORD dwAttributes = sys::GetFileAttributesA(pszPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return FALSE;
    if (!KeepsRights(pszPath))
        return TRUE;
    // A self-relative descriptor: control at 2, then the offsets of owner (4) and DACL (16).
    BYTE sd[1024];
    DWORD nSd;
    if (!sys::GetFileSecurityA(pszPath, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd, sizeof sd, &nSd))
        return ::GetLastError() == ERROR_PROC_NOT_FOUND || ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    nSd = sizeof sd;  // what the system filled is whole; offsets beyond the buffer are refused
    DWORD nOwner, nDacl;
    memcpy(&nOwner, sd + 4, 4);
    memcpy(&nDacl, sd + 16, 4);
    const WORD wControl = (WORD)(sd[2] | sd[3] << 8);
    // No DACL, or a null one, lets everyone do everything.
    if (!nOwner || nOwner >= nSd || !IsTrustedSid(sd + nOwner, nSd - nOwner) || !(wControl & SE_DACL_PRESENT) ||
        !nDacl || nDacl + 8 > nSd)
        return FALSE;
    const BYTE* pAcl = sd + nDacl;
    const DWORD nAclEnd = nDacl + (pAcl[2] | pAcl[3] << 8);
    DWORD nAt = nDacl + 8;
    for (int nAces = pAcl[4] | pAcl[5] << 8; nAces > 0; --nAces) {
        if (nAclEnd > nSd || nAt + 8 > nAclEnd)
            return FALSE;
        const BYTE* pAce = sd + nAt;
        const DWORD nAce = pAce[2] | pAce[3] << 8;
        DWORD dwMask;
        memcpy(&dwMask, pAce + 4, 4);
        if (nAce < 8 || nAt + nAce > nAclEnd)
            return FALSE;
        // Entries that deny, and those only handed down to what is made below, give
        // nobody anything here. Any other entry names its SID after the mask.
        const BOOL bDenies = pAce[0] == ACCESS_DENIED_ACE_TYPE || pAce[0] == ACCESS_DENIED_OBJECT_ACE_TYPE ||
                             pAce[0] == ACCESS_DENIED_CALLBACK_ACE_TYPE ||
                             pAce[0] == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
        if (!bDenies && !(pAce[1] & INHERIT_ONLY_ACE) && (dwMask & kChangingRights) &&
            (pAce[0] != ACCESS_ALLOWED_ACE_TYPE || !IsTrustedSid(pAce + 8, nAce - 8)))
            return FALSE;
        nAt += nAce;
    }
    return TRUE;
}

Reach ReachOf(const char* pszPath)
{
    for (const char* p = pszPath + 3;; ++p) {
        p = NextSeparator(p);
        const DWORD dwAttributes = sys::GetFileAttributesA(CString(pszPath, (int)(p - pszPath)));
        if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD dwError = ::GetLastError();
            return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND ? kNotThere : kUnknown;
        }
        if (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return kBehindLink;
        if (!*p)
            return kReached;
    }
}

} // namespace ops
