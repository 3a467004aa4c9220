#include "installed_version.h"
#include "manifest.h"
#include "registry.h"

namespace ops {

DWORD VersionValue(const char* psz)
{
    DWORD nValue = 0;
    for (int nPart = 0; nPart < 2; ++nPart) {
        const char* pStart = psz;
        DWORD n = 0;
        for (; *psz >= '0' && *psz <= '9'; ++psz) {
            n = n * 10 + (*psz - '0');
            if (n > 0xFFFF)
                return 0;
        }
        // The major number ends at the dot, the minor one at the end of the text.
        if (psz == pStart || *psz++ != (nPart ? '\0' : '.'))
            return 0;
        nValue = nValue << 16 | n;
    }
    return nValue;
}

DWORD ReadInstalledVersion(const CScope& scope, CString& strVersion)
{
    // Every version writes a subkey of its own below the vendor key.
    DWORD nHighest = 0;
    CRegKey vendor, uninstall;
    if (vendor.Open(scope.Root(), kVendorKey, KEY_ENUMERATE_SUB_KEYS) == ERROR_SUCCESS) {
        char szName[MAX_PATH];  // a key's name has at most 255 characters
        DWORD nName = MAX_PATH;
        for (DWORD i = 0; sys::RegEnumKeyExA(vendor, i, szName, &nName, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
             ++i, nName = MAX_PATH) {
            const DWORD nVersion = VersionValue(szName);
            if (nVersion > nHighest) {
                nHighest = nVersion;
                strVersion = szName;
            }
        }
    }
    if (!nHighest && uninstall.Open(scope.Root(), kUninstallKey, KEY_QUERY_VALUE) == ERROR_SUCCESS) {
        CString strDisplayed;
        if (ReadRegistryText(uninstall, "DisplayVersion", strDisplayed) && (nHighest = VersionValue(strDisplayed)) != 0)
            strVersion = strDisplayed;
    }
    return nHighest;
}

} // namespace ops
