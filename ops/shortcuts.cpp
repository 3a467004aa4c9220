// CreateShortcut and DeleteShortcut: shell links on the desktop and in the
// product's program group.
#include "installer_dlg.h"
#include "manifest.h"
#include <shlobj.h>

namespace {

// The Windows directory + "\Desktop", unless the shell names the desktop folder.
CString DesktopFolder()
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    sys::GetWindowsDirectoryA(szPath, MAX_PATH);
    CString strFolder = CString(szPath) + "\\Desktop";
    PIDLIST_ABSOLUTE pidl = NULL;
    if (sys::SHGetSpecialFolderLocation(NULL, CSIDL_DESKTOP, &pidl) == S_OK) {
        if (sys::SHGetPathFromIDListA(pidl, szPath))
            strFolder = szPath;
        ::CoTaskMemFree(pidl);
    }
    return strFolder;
}

CString LinkPath(const CString& strFolder, const char* pszTitle)
{
    return strFolder + "\\" + pszTitle + ".lnk";
}

} // namespace

BOOL CInstallerDlg::CreateShortcut(CString strBaseName, CString strExtension, const char* pszTitle, BOOL bDesktop)
{
    CString strTarget = m_strTargetDir + "\\" + strBaseName + strExtension;
    CString strFolder;
    if (bDesktop) {
        strFolder = DesktopFolder();
    } else {
        CreateTargetDirectory(g_strStartMenuDir);  // the link is attempted whatever happens
        strFolder = g_strStartMenuDir;
    }

    // A link path that does not fit the system's limit is refused, never cut short.
    WCHAR wszLink[MAX_PATH];
    BOOL bFits = ::MultiByteToWideChar(CP_ACP, 0, LinkPath(strFolder, pszTitle), -1, wszLink, MAX_PATH) != 0;

    IShellLinkA* pLink = NULL;
    if (sys::CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&pLink) != S_OK ||
        !pLink) {
        ReportError(FALSE, "Can't create Program Files link");
        return FALSE;
    }
    pLink->SetDescription(pszTitle);
    pLink->SetIconLocation(strTarget, 0);
    pLink->SetPath(strTarget);
    pLink->SetWorkingDirectory(m_strTargetDir);
    pLink->SetShowCmd(SW_SHOWNORMAL);

    IPersistFile* pFile = NULL;
    if (pLink->QueryInterface(IID_IPersistFile, (void**)&pFile) != S_OK || !pFile) {
        pLink->Release();
        ReportError(FALSE, "Couldn't create file interface to program links");
        return FALSE;
    }
    BOOL bSaved = bFits && pFile->Save(wszLink, TRUE) == S_OK;
    pFile->Release();
    pLink->Release();
    if (!bSaved) {
        ReportError(FALSE, "Can't create Program Files icon group");
        return FALSE;
    }
    return TRUE;
}

void CInstallerDlg::DeleteShortcut(CString strTitle, BOOL bDesktop)
{
    CString strFolder = bDesktop ? DesktopFolder() : g_strStartMenuDir;
    sys::remove(LinkPath(strFolder, strTitle));
}
