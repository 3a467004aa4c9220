#include "shortcuts.h"
#include "report.h"
#include "shell_folders.h"
#include "target_dir.h"
#include <shlobj.h>

namespace ops {
namespace {

// The Windows directory + "\Desktop", unless the shell names the desktop folder (all
// users' with bAllUsers, where the system has one).
CString DesktopFolder(BOOL bAllUsers)
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    sys::GetWindowsDirectoryA(szPath, MAX_PATH);
    CString strFolder = CString(szPath) + "\\Desktop";
    LinkFolderPath(bAllUsers, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY, strFolder);
    return strFolder;
}

CString LinkPath(const CString& strFolder, const char* pszTitle)
{
    return strFolder + "\\" + pszTitle + ".lnk";
}

} // namespace

BOOL CreateShortcut(HWND hOwner, const CString& strTargetDir, const CString& strGroupDir, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle, BOOL bDesktop, CStringArray* pCreatedDirs,
                    BOOL bAllUsers)
{
    const CString strTarget = strTargetDir + "\\" + pszBaseName + pszExtension;
    CString strFolder;
    if (bDesktop) {
        strFolder = DesktopFolder(bAllUsers);
    } else {
        CreateTargetDirectory(hOwner, strGroupDir, pCreatedDirs);  // the link is attempted whatever happens
        strFolder = strGroupDir;
    }

    // A link path that does not fit the system's limit is refused, never cut short.
    WCHAR wszLink[MAX_PATH];
    BOOL bFits = ::MultiByteToWideChar(CP_ACP, 0, LinkPath(strFolder, pszTitle), -1, wszLink, MAX_PATH) != 0;

    CComPtr<IShellLinkA> pLink;
    if (sys::CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&pLink) != S_OK ||
        !pLink) {
        ReportError(hOwner, kNoLinkText);
        return FALSE;
    }
    pLink->SetDescription(pszTitle);
    pLink->SetIconLocation(strTarget, 0);
    pLink->SetPath(strTarget);
    pLink->SetWorkingDirectory(strTargetDir);
    pLink->SetShowCmd(SW_SHOWNORMAL);

    CComPtr<IPersistFile> pFile;
    if (pLink->QueryInterface(IID_IPersistFile, (void**)&pFile) != S_OK || !pFile) {
        ReportError(hOwner, kNoLinkFileText);
        return FALSE;
    }
    const BOOL bSaved = bFits && pFile->Save(wszLink, TRUE) == S_OK;
    if (!bSaved) {
        ReportError(hOwner, kNoLinkSavedText);
        return FALSE;
    }
    return TRUE;
}

void DeleteShortcut(const CString& strGroupDir, const char* pszTitle, BOOL bDesktop, BOOL bAllUsers)
{
    sys::remove(LinkPath(bDesktop ? DesktopFolder(bAllUsers) : strGroupDir, pszTitle));
}

void DeleteProductLinks(UINT nRows, const CString& strGroupDir)
{
    // First the group given with the user's desktop, then all users' desktop and
    // group, then the user's group as the shell names it. Where the shell names no
    // folder, a pass repeats the first one's, which deletes nothing more.
    for (int nPass = 0; nPass < 3; ++nPass) {
        CString strGroup = strGroupDir;
        if (nPass > 0 && LinkFolderPath(nPass == 1, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, strGroup))
            strGroup += kProductFolderSuffix;
        for (int i = 0; i < kShortcutCount; ++i) {
            const ShortcutSpec& link = kShortcutTable[i];
            if ((nRows >> i & 1u) && !(link.bDesktop && nPass == 2))
                DeleteShortcut(strGroup, link.pszTitle, link.bDesktop, nPass == 1);
        }
    }
}

} // namespace ops
