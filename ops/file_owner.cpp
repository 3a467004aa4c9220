#include "file_owner.h"
#include "own_folder.h"
#include <string.h>

namespace ops {

BOOL IsOwnedByThisRun(HANDLE hFile)
{
    BYTE sd[1024];
    DWORD nSd;
    if (!sys::GetKernelObjectSecurity(hFile, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, sd, sizeof sd,
                                      &nSd)) {
        const DWORD dwError = ::GetLastError();
        return dwError == ERROR_PROC_NOT_FOUND || dwError == ERROR_CALL_NOT_IMPLEMENTED ||
               dwError == ERROR_INVALID_FUNCTION || dwError == ERROR_NOT_SUPPORTED;
    }
    // Besides Administrators, SYSTEM and TrustedInstaller: the user this run runs as, and
    // the owner it gives what it makes.
    union {
        PSID pSid;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    BYTE trusted[2 * SECURITY_MAX_SID_SIZE] = {};
    for (int i = 0; i < 2; ++i) {
        if (ProcessTokenInformation(i ? TokenOwner : TokenUser, &info, sizeof info))
            memcpy(trusted + i * SECURITY_MAX_SID_SIZE, info.pSid, 8 + 4 * (((const BYTE*)info.pSid)[1] & 15));
    }
    return IsTrustedSecurity(sd, nSd < sizeof sd ? nSd : sizeof sd, 0, trusted);
}

} // namespace ops
