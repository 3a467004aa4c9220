// The product's registry entries, and removal of registry key trees.
#include "registry.h"
#include "payload.h"

namespace ops {
namespace {

const DWORD kSubkeyNameSize = 1024;

// Whether the key path lies below the other one.
BOOL IsBelow(const CString& strKey, const CString& strParent)
{
    const int n = strParent.GetLength();
    return strKey.GetLength() > n && strKey.GetAt(n) == '\\' && strKey.Left(n) == strParent;
}

// Opens a key below HKEY_LOCAL_MACHINE for writing, creating it (and any missing
// key above it) when it cannot be opened; the keys it created go to *pCreated,
// parents first. NULL when neither works. The product's key paths are ASCII.
HKEY OpenOrCreateKey(const char* pszPath, CStringArray* pCreated)
{
    HKEY hKey = NULL;
    if (sys::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszPath, 0, KEY_WRITE, &hKey) == ERROR_SUCCESS)
        return hKey;
    // The keys above it that are missing too, up to the first one that is there; the
    // path is cut at each separator in turn, from the end.
    char szKey[MAX_PATH];
    ::lstrcpynA(szKey, pszPath, MAX_PATH);
    int nMissing = ::lstrlenA(szKey);  // where the topmost missing key's path ends
    for (int n = nMissing - 1; n > 0; --n) {
        if (szKey[n] != '\\')
            continue;
        szKey[n] = '\0';
        HKEY hParent;
        if (sys::RegOpenKeyExA(HKEY_LOCAL_MACHINE, szKey, 0, KEY_READ, &hParent) == ERROR_SUCCESS) {
            sys::RegCloseKey(hParent);
            break;
        }
        nMissing = n;
    }
    DWORD dwDisposition;
    if (sys::RegCreateKeyExA(HKEY_LOCAL_MACHINE, pszPath, 0, (LPSTR)kProductName, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                             NULL, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return NULL;
    if (pCreated && dwDisposition == REG_CREATED_NEW_KEY) {
        for (int n = nMissing;; ++n) {
            if (pszPath[n] == '\\' || pszPath[n] == '\0')
                pCreated->Add(CString(pszPath, n));
            if (pszPath[n] == '\0')
                break;
        }
    }
    return hKey;
}

// Writes a REG_SZ value, its terminator counted; FALSE when the registry refuses it.
// The value is staged whole, however long the user's directory made it.
BOOL SetStringValue(HKEY hKey, const char* pszName, const CString& strValue)
{
    return sys::RegSetValueExA(hKey, pszName, 0, REG_SZ, (const BYTE*)(const char*)strValue,
                               strValue.GetLength() + 1) == ERROR_SUCCESS;
}

BOOL SetDwordValue(HKEY hKey, const char* pszName, DWORD dwValue)
{
    return sys::RegSetValueExA(hKey, pszName, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof dwValue) == ERROR_SUCCESS;
}

} // namespace

BOOL WriteRegistryEntries(const CString& strTargetDir, CStringArray* pCreatedKeys)
{
    BOOL bAll = TRUE;  // every key opened and every value written; each key is tried anyway
    // One reading of the clock, so that the install time and the install date agree.
    const time_t tNow = sys::time(NULL);

    if (HKEY hKey = OpenOrCreateKey(kVendorVersionKey, pCreatedKeys)) {
        CString strTime;
        strTime.Format("%u", (unsigned)tNow);
        bAll &= SetStringValue(hKey, "", strTime);
        sys::RegCloseKey(hKey);
    } else {
        bAll = FALSE;
    }

    const CString strProgram = strTargetDir + "\\" + kMainProgramFile;
    if (HKEY hKey = OpenOrCreateKey(kAppPathsKey, pCreatedKeys)) {
        bAll &= SetStringValue(hKey, "", strProgram);
        bAll &= SetStringValue(hKey, kPathValue, strTargetDir);
        sys::RegCloseKey(hKey);
    } else {
        bAll = FALSE;
    }

    if (HKEY hKey = OpenOrCreateKey(kUninstallKey, pCreatedKeys)) {
        bAll &= SetStringValue(hKey, kDisplayNameValue, kDisplayName);
        // Quoted: whatever runs this command line must not take a prefix of a path
        // with spaces ("C:\Program.exe") for the program.
        bAll &= SetStringValue(hKey, kUninstallStringValue, "\"" + strTargetDir + "\\" + kUninstallerFile + "\"");
        // What the system's list of programs shows beside the name.
        bAll &= SetStringValue(hKey, "DisplayVersion", kProductVersion);
        bAll &= SetDwordValue(hKey, "VersionMajor", kVersionMajor);
        bAll &= SetDwordValue(hKey, "VersionMinor", kVersionMinor);
        bAll &= SetStringValue(hKey, "Publisher", kMaker);
        bAll &= SetStringValue(hKey, "DisplayIcon", strProgram);
        bAll &= SetStringValue(hKey, "InstallLocation", strTargetDir);
        // The local date, YYYYMMDD; left out, not failed, when the clock gave no date.
        if (const struct tm* pLocal = localtime(&tNow)) {
            CString strDate;
            strDate.Format("%04d%02d%02d", pLocal->tm_year + 1900, pLocal->tm_mon + 1, pLocal->tm_mday);
            bAll &= SetStringValue(hKey, "InstallDate", strDate);
        }
        bAll &= SetDwordValue(hKey, "EstimatedSize", InstalledPayloadKb(strTargetDir));
        bAll &= SetDwordValue(hKey, "NoModify", 1);
        bAll &= SetDwordValue(hKey, "NoRepair", 1);
        sys::RegCloseKey(hKey);
    } else {
        bAll = FALSE;
    }

    return bAll;
}

void DeleteCreatedKeys(const CStringArray& keys)
{
    // Each key was recorded after the ones made above it: a key goes with the run
    // of its parents just before it, deepest first, in the order the keys were made.
    const int nKeys = keys.GetSize();
    for (int i = 0; i < nKeys; ++i) {
        if (i + 1 < nKeys && IsBelow(keys.GetAt(i + 1), keys.GetAt(i)))
            continue;  // a parent: it goes after its child
        for (int j = i; j >= 0 && (j == i || IsBelow(keys.GetAt(j + 1), keys.GetAt(j))); --j)
            sys::RegDeleteKeyA(HKEY_LOCAL_MACHINE, keys.GetAt(j));
    }
}

void DeleteRegistrySubkey(const char* pszParentPath, const char* pszChildName)
{
    HKEY hParent;
    if (sys::RegOpenKeyExA(HKEY_LOCAL_MACHINE, pszParentPath, 0, KEY_WRITE, &hParent) != ERROR_SUCCESS)
        return;
    DeleteRegistryTree(hParent, pszChildName);
    sys::RegCloseKey(hParent);
}

LONG DeleteRegistryTree(HKEY hParent, const char* pszSubkey)
{
    char* pszChild = new char[kSubkeyNameSize];
    if (!pszSubkey || ::lstrlenA(pszSubkey) == 0) {
        delete[] pszChild;
        return ERROR_BADKEY;
    }
    HKEY hKey;
    if (sys::RegOpenKeyExA(hParent, pszSubkey, 0, DELETE | KEY_ENUMERATE_SUB_KEYS, &hKey) != ERROR_SUCCESS) {
        delete[] pszChild;
        return ERROR_CANTOPEN;
    }
    LONG lResult;
    for (;;) {
        // Every child found is removed before the next look, so index 0 finds the next one.
        DWORD nName = kSubkeyNameSize;
        lResult = sys::RegEnumKeyExA(hKey, 0, pszChild, &nName, NULL, NULL, NULL, NULL);
        if (lResult == ERROR_NO_MORE_ITEMS) {
            lResult = sys::RegDeleteKeyA(hParent, pszSubkey);
            break;
        }
        if (lResult != ERROR_SUCCESS)
            break;
        lResult = DeleteRegistryTree(hKey, pszChild);
        if (lResult != ERROR_SUCCESS)
            break;
    }
    sys::RegCloseKey(hKey);
    delete[] pszChild;
    return lResult;
}

BOOL ReadRegistryText(HKEY hKey, const char* pszValue, CString& strText, DWORD* pdwType)
{
    char szValue[MAX_PATH];
    DWORD dwType = REG_NONE;
    DWORD cbValue = MAX_PATH;
    if (sys::RegQueryValueExA(hKey, pszValue, NULL, &dwType, (LPBYTE)szValue, &cbValue) != ERROR_SUCCESS)
        return FALSE;
    if (cbValue > MAX_PATH)
        cbValue = MAX_PATH;
    int nLength = 0;
    while (nLength < (int)cbValue && szValue[nLength] != '\0')
        ++nLength;
    strText = CString(szValue, nLength);
    if (pdwType)
        *pdwType = dwType;
    return TRUE;
}

BOOL ReadProgramFilesDir(CString& strDir)
{
    HKEY hKey;
    if (sys::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWindowsCurrentVersionKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD dwType;
    BOOL bRead = ReadRegistryText(hKey, kProgramFilesDirValue, strDir, &dwType);
    sys::RegCloseKey(hKey);
    return bRead && dwType == REG_SZ;
}

} // namespace ops
