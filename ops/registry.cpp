#include "registry.h"
#include "path.h"
#include "payload.h"

namespace ops {
namespace {

const DWORD kSubkeyNameSize = 1024;

// Opens a key below the scope's root for writing into key, creating it (and any
// missing key above it) when it cannot be opened. FALSE when neither works. What the
// run makes here is undone through its journal (the product's keys, the maker's key).
BOOL OpenOrCreateKey(HKEY hRoot, CRegKey& key, const char* pszPath)
{
    DWORD dwDisposition;
    return key.Open(hRoot, pszPath, KEY_WRITE) == ERROR_SUCCESS ||
           key.Create(hRoot, pszPath, kProductName, KEY_WRITE, &dwDisposition) == ERROR_SUCCESS;
}

// Writes a REG_SZ value, its terminator counted; FALSE when the registry refuses it.
// The value is staged whole, however long the user's directory made it. A text, not a
// CString: a literal is written with no string made of it first.
BOOL SetStringValue(HKEY hKey, const char* pszName, const char* pszValue)
{
    return sys::RegSetValueExA(hKey, pszName, 0, REG_SZ, (const BYTE*)pszValue, ::lstrlenA(pszValue) + 1) ==
           ERROR_SUCCESS;
}

BOOL SetDwordValue(HKEY hKey, const char* pszName, DWORD dwValue)
{
    return sys::RegSetValueExA(hKey, pszName, 0, REG_DWORD, (const BYTE*)&dwValue, sizeof dwValue) == ERROR_SUCCESS;
}

// The local date of a time of the clock (seconds since 1970, unsigned: a 32-bit time
// goes on to 2106), YYYYMMDD; FALSE when the clock gave no time (-1) or the date cannot
// be told.
BOOL LocalDate(time_t tNow, CString* pstrDate)
{
    ULARGE_INTEGER ticks;  // 100 ns since 1601, as the file system keeps time
    ticks.QuadPart = (ULONGLONG)(DWORD)tNow * 10000000 + 116444736000000000;
    const FILETIME ftUtc = { ticks.LowPart, ticks.HighPart };
    FILETIME ftLocal;
    SYSTEMTIME st;
    if (tNow == (time_t)-1 || !sys::FileTimeToLocalFileTime(&ftUtc, &ftLocal) ||
        !sys::FileTimeToSystemTime(&ftLocal, &st))
        return FALSE;
    pstrDate->Format("%04u%02u%02u", st.wYear, st.wMonth, st.wDay);
    return TRUE;
}

// The vendor's version key, holding the install time; in the vendor's key the choice of
// no desktop link, for later upgrades, and the path of the installer's kept copy, plain,
// for what finds it there without taking a command line apart.
BOOL WriteVersionKey(HKEY hRoot, time_t tNow, const CString& strCopy, BOOL bNoDesktop)
{
    CRegKey key, vendor;
    if (!OpenOrCreateKey(hRoot, key, kVendorVersionKey))
        return FALSE;
    CString strTime;
    strTime.Format("%u", (unsigned)tNow);
    return SetStringValue(key, "", strTime) &&
           ((!bNoDesktop && strCopy.IsEmpty()) ||
            (OpenOrCreateKey(hRoot, vendor, kVendorKey) && (!bNoDesktop || SetDwordValue(vendor, kNoDesktopValue, 1)) &&
             (strCopy.IsEmpty() || SetStringValue(vendor, kInstallerCopyValue, strCopy))));
}

BOOL WriteAppPathKey(HKEY hRoot, const CString& strProgram, const CString& strTargetDir)
{
    CRegKey key;
    if (!OpenOrCreateKey(hRoot, key, kAppPathsKey))
        return FALSE;
    BOOL bAll = SetStringValue(key, "", strProgram);  // each value is tried anyway
    bAll &= SetStringValue(key, kPathValue, strTargetDir);
    return bAll;
}

// The uninstall entry, with what the system's list of programs shows beside the name.
BOOL WriteUninstallKey(const CScope& scope, const CString& strProgram, const CString& strTargetDir,
                       const CString& strCopy, time_t tNow)
{
    CRegKey key;
    if (!OpenOrCreateKey(scope.Root(), key, kUninstallKey))
        return FALSE;
    // Quoted: whatever runs this command line must not take a prefix of a path
    // with spaces ("C:\Program.exe") for the program. Each value is tried anyway.
    BOOL bAll = SetStringValue(key, kUninstallStringValue, "\"" + strTargetDir + "\\" + kUninstallerFile + "\"");
    // What the system and deployment tools run to remove the product without a window.
    if (!strCopy.IsEmpty())
        bAll &= SetStringValue(key, kQuietUninstallStringValue,
                               "\"" + strCopy + (scope.IsCurrentUser() ? kQuietUserSwitches : kQuietSwitches));
    bAll &= SetStringValue(key, "DisplayVersion", kProductVersion);
    bAll &= SetDwordValue(key, "VersionMajor", kVersionMajor);
    bAll &= SetDwordValue(key, "VersionMinor", kVersionMinor);
    bAll &= SetStringValue(key, "Publisher", kMaker);
    bAll &= SetStringValue(key, "DisplayIcon", strProgram);
    bAll &= SetStringValue(key, kInstallLocationValue, strTargetDir);
    // The local date, YYYYMMDD; left out, not failed, when the clock gave no date.
    CString strDate;
    if (LocalDate(tNow, &strDate))
        bAll &= SetStringValue(key, "InstallDate", strDate);
    bAll &= SetDwordValue(key, "EstimatedSize", InstalledPayloadKb(strTargetDir));
    bAll &= SetDwordValue(key, "NoModify", 1);
    bAll &= SetDwordValue(key, "NoRepair", 1);
    // Last: the name makes the entry show in the list of programs, which a run cut
    // short must not leave half-written there.
    bAll &= SetStringValue(key, kDisplayNameValue, kDisplayName);
    return bAll;
}

} // namespace

BOOL WriteRegistryEntries(const CScope& scope, const CString& strTargetDir, const CString& strCopy, BOOL bNoDesktop)
{
    const HKEY hRoot = scope.Root();
    // One reading of the clock, so that the install time and the install date agree.
    const time_t tNow = sys::time(NULL);
    const CString strProgram = strTargetDir + "\\" + kMainProgramFile;
    // Each key is tried whatever became of the one before.
    BOOL bAll = WriteVersionKey(hRoot, tNow, strCopy, bNoDesktop);
    bAll &= WriteAppPathKey(hRoot, strProgram, strTargetDir);
    bAll &= WriteUninstallKey(scope, strProgram, strTargetDir, strCopy, tNow);
    return bAll;
}

BOOL DeleteKeyPath(const CScope& scope, const char* pszPath)
{
    const HKEY hRoot = scope.Root();
    const char* pszName = NameOf(pszPath);
    CRegKey parent;
    if (pszName != pszPath && parent.Open(hRoot, ParentOf(pszPath), KEY_WRITE) == ERROR_SUCCESS)
        DeleteRegistryTree(parent, pszName);
    CRegKey key;
    return key.Open(hRoot, pszPath, KEY_READ) == ERROR_FILE_NOT_FOUND;
}

void DeleteKeyIfEmpty(const CScope& scope, const char* pszPath)
{
    CRegKey key;
    char szName[MAX_PATH];
    DWORD nName = MAX_PATH;
    if (key.Open(scope.Root(), pszPath, KEY_READ) != ERROR_SUCCESS ||
        sys::RegEnumKeyExA(key, 0, szName, &nName, NULL, NULL, NULL, NULL) != ERROR_NO_MORE_ITEMS ||
        sys::RegEnumValueA(key, 0, szName, &(nName = MAX_PATH), NULL, NULL, NULL, NULL) != ERROR_NO_MORE_ITEMS)
        return;
    key.Close();
    sys::RegDeleteKeyA(scope.Root(), pszPath);
}

LONG DeleteRegistryTree(HKEY hParent, const char* pszSubkey)
{
    if (!pszSubkey || ::lstrlenA(pszSubkey) == 0)
        return ERROR_BADKEY;
    CRegKey key;
    if (key.Open(hParent, pszSubkey, DELETE | KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
        return ERROR_CANTOPEN;
    CHeapArray<char> pszChild(new char[kSubkeyNameSize]);  // off the stack: this recurses
    LONG lResult;
    for (;;) {
        // Every child found is removed before the next look, so index 0 finds the next one.
        DWORD nName = kSubkeyNameSize;
        lResult = sys::RegEnumKeyExA(key, 0, pszChild, &nName, NULL, NULL, NULL, NULL);
        if (lResult == ERROR_NO_MORE_ITEMS) {
            lResult = sys::RegDeleteKeyA(hParent, pszSubkey);
            break;
        }
        if (lResult != ERROR_SUCCESS)
            break;
        lResult = DeleteRegistryTree(key, pszChild);
        if (lResult != ERROR_SUCCESS)
            break;
    }
    return lResult;
}

BOOL ReadChoice(const CScope& scope, const char* pszValue)
{
    CRegKey key;
    DWORD dwValue = 0, dwType, cbValue = sizeof dwValue;
    return key.Open(scope.Root(), kVendorKey, KEY_READ) == ERROR_SUCCESS &&
           sys::RegQueryValueExA(key, pszValue, NULL, &dwType, (LPBYTE)&dwValue, &cbValue) == ERROR_SUCCESS &&
           dwType == REG_DWORD && cbValue == sizeof dwValue && dwValue == 1;
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

} // namespace ops
