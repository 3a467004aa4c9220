#include "scope.h"
#include "manifest.h"
#include "registry.h"
#include "shell_folders.h"

namespace ops {

CString CScope::JournalFolder(int nFolder) const
{
    // The machine's: the common application data folder, then the Windows directory
    // (where the system names no such folder, both). The user's: the local application data.
    CString strFolder;
    if (nFolder || !ShellFolderPath(m_who == kUser ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA, strFolder)) {
        if (m_who == kUser)
            return strFolder;
        char szWindows[MAX_PATH];
        szWindows[0] = '\0';
        sys::GetWindowsDirectoryA(szWindows, MAX_PATH);
        strFolder = szWindows;
    }
    return strFolder + "\\" + kSetupFolder;
}

CString CScope::LinkFolder(int nLink) const
{
    const BOOL bAllUsers = nLink >= kAllUsersDesktop && m_who == kMachine;
    CString strFolder;
    if (nLink & 1) {
        return LinkFolderPath(bAllUsers, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, strFolder)
                   ? strFolder + kProductFolderSuffix
                   : CString(kDefaultStartMenuDir);
    }
    // The Windows directory's "Desktop" unless the shell names the desktop folder.
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    sys::GetWindowsDirectoryA(szPath, MAX_PATH);
    strFolder = CString(szPath) + "\\Desktop";
    LinkFolderPath(bAllUsers, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY, strFolder);
    return strFolder;
}

BOOL CScope::HasInstallation() const
{
    CRegKey key;
    return key.Open(Root(), kUninstallKey, KEY_READ) == ERROR_SUCCESS;
}

CString CScope::DefaultDirectory() const
{
    CString strDir;
    if (m_who == kUser) {
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
