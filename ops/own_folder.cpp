#include "own_folder.h"
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

// TrustedInstaller, S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464: the
// owner of what Windows installs, with full control of Program Files' folders.
const BYTE kTrustedInstallerSid[] = { 1, 6, 0, 0, 0, 0, 0, 5, 80, 0, 0, 0, 0xB5, 0x89, 0xFB, 0x38, 0x19, 0x84,
                                      0xC2, 0xCB, 0x5C, 0x6C, 0x23, 0x6D, 0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02, 0x64, 0x87 };

// The length of a SID of that many bytes at most; 0 when it is not whole.
DWORD SidLength(const BYTE* pSid, DWORD nLeft)
{
    return nLeft >= 8 && nLeft >= 8u + 4u * pSid[1] ? 8 + 4 * pSid[1] : 0;
}

BOOL SameSid(const BYTE* pSid, DWORD nLeft, const BYTE* pKnown)
{
    const DWORD n = SidLength(pSid, nLeft);
    return n && n == SidLength(pKnown, SECURITY_MAX_SID_SIZE) && memcmp(pSid, pKnown, n) == 0;
}

BOOL IsTrustedSid(const BYTE* pSid, DWORD nLeft, const BYTE* pTrusted)
{
    return SameSid(pSid, nLeft, kAdministratorsSid) || SameSid(pSid, nLeft, kSystemSid) ||
           SameSid(pSid, nLeft, kTrustedInstallerSid) || SameSid(pSid, nLeft, pTrusted) ||
           SameSid(pSid, nLeft, pTrusted + SECURITY_MAX_SID_SIZE);
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

HeldRights RightsOfProcess()
{
    TOKEN_ELEVATION elevation;
    if (ProcessTokenInformation(TokenElevation, &elevation, sizeof elevation))
        return elevation.TokenIsElevated ? kFullRights : kElevatable;
    // Before Vista the token cannot say; its groups can, from Windows 2000 on (NT 4 has
    // no such call, and the run goes on as far as the system lets it).
    BOOL bMember;
    return sys::CheckTokenMembership(NULL, AdministratorsSid(), &bMember) && !bMember ? kUserRightsOnly : kFullRights;
}

BOOL IsTrustedSecurity(const BYTE* pSd, DWORD nSd, DWORD dwRights, const BYTE* pTrusted)
{
    // A self-relative descriptor: control at 2, then the offsets of owner (4) and DACL (16).
    DWORD nOwner, nDacl;
    memcpy(&nOwner, pSd + 4, 4);
    memcpy(&nDacl, pSd + 16, 4);
    const WORD wControl = (WORD)(pSd[2] | pSd[3] << 8);
    if (nSd < 20 || !nOwner || nOwner >= nSd || !IsTrustedSid(pSd + nOwner, nSd - nOwner, pTrusted) ||
        !(wControl & SE_DACL_PRESENT) || !nDacl || nDacl + 8 > nSd)
        return FALSE;
    const BYTE* pAcl = pSd + nDacl;
    const DWORD nAclEnd = nDacl + (pAcl[2] | pAcl[3] << 8);
    DWORD nAt = nDacl + 8;
    for (int nAces = pAcl[4] | pAcl[5] << 8; nAces > 0; --nAces) {
        if (nAclEnd > nSd || nAt + 8 > nAclEnd)
            return FALSE;
        const BYTE* pAce = pSd + nAt;
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
        if (!bDenies && !(pAce[1] & INHERIT_ONLY_ACE) && (dwMask & dwRights) &&
            (pAce[0] != ACCESS_ALLOWED_ACE_TYPE || !IsTrustedSid(pAce + 8, nAce - 8, pTrusted)))
            return FALSE;
        nAt += nAce;
    }
    return TRUE;
}

} // namespace ops
