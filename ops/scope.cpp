#include "scope.h"
#include "registry.h"
#include "shell_folders.h"

namespace ops {

CString CScope::RecordFolder(int nPlace) const
{
    // The machine's: the common application data folder, then the Windows directory
    // (where the system names no such folder, both). The user's: the local application data.
    CString strFolder;
    if (nPlace || !ShellFolderPath(m_bCurrentUser ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA, strFolder)) {
        if (m_bCurrentUser)
            return strFolder;
        char szWindows[MAX_PATH];
        szWindows[0] = '\0';
        sys::GetWindowsDirectoryA(szWindows, MAX_PATH);
        strFolder = szWindows;
    }
    return strFolder + "\\" + kSetupFolder;
}

BOOL CScope::LinkFolder(BOOL bAllUsers, int nUserFolder, int nCommonFolder, CString& strPath) const
{
    return LinkFolderPath(bAllUsers && !m_bCurrentUser, nUserFolder, nCommonFolder, strPath);
}

BOOL CScope::HasInstallation() const
{
    CRegKey key;
    return key.Open(Root(), kUninstallKey, KEY_READ) == ERROR_SUCCESS;
}

CString CScope::DefaultDirectory() const
{
    CString strDir;
    if (m_bCurrentUser) {
        if (ShellFolderPath(CSIDL_LOCAL_APPDATA, strDir))
            return strDir + kUserProgramsSuffix + kProductFolderSuffix;
    } else {
        CRegKey key;
        DWORD dwType;
        if (key.Open(HKEY_LOCAL_MACHINE, kWindowsCurrentVersionKey, KEY_READ) == ERROR_SUCCESS &&
            ReadRegistryText(key, kProgramFilesDirValue, strDir, &dwType) && dwType == REG_SZ)
            return strDir + kProductFolderSuffix;
    }
    return kDefaultInstallDir;
}

} // namespace ops
