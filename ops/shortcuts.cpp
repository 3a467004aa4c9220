// CreateShortcut and DeleteShortcut: shell links on the desktop and in the
// product's program group.
#include "shortcuts.h"
#include "report.h"
#include "shell_folders.h"
#include "target_dir.h"
#include <shlobj.h>

namespace ops {
namespace {

// The Windows directory + "\Desktop", unless the shell names the desktop folder.
CString DesktopFolder()
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    sys::GetWindowsDirectoryA(szPath, MAX_PATH);
    CString strFolder = CString(szPath) + "\\Desktop";
    ShellFolderPath(CSIDL_DESKTOP, strFolder);
    return strFolder;
}

CString LinkPath(const CString& strFolder, const char* pszTitle)
{
    return strFolder + "\\" + pszTitle + ".lnk";
}

} // namespace

BOOL CreateShortcut(HWND hOwner, const CString& strTargetDir, const CString& strGroupDir, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle, BOOL bDesktop, CStringArray* pCreatedDirs)
{
    const CString strTarget = strTargetDir + "\\" + pszBaseName + pszExtension;
    CString strFolder;
    if (bDesktop) {
        strFolder = DesktopFolder();
    } else {
        CreateTargetDirectory(hOwner, strGroupDir, pCreatedDirs);  // the link is attempted whatever happens
        strFolder = strGroupDir;
    }

    // A link path that does not fit the system's limit is refused, never cut short.
    WCHAR wszLink[MAX_PATH];
    BOOL bFits = ::MultiByteToWideChar(CP_ACP, 0, LinkPath(strFolder, pszTitle), -1, wszLink, MAX_PATH) != 0;

    IShellLinkA* pLink = NULL;
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

    IPersistFile* pFile = NULL;
    if (pLink->QueryInterface(IID_IPersistFile, (void**)&pFile) != S_OK || !pFile) {
        pLink->Release();
        ReportError(hOwner, kNoLinkFileText);
        return FALSE;
    }
    BOOL bSaved = bFits && pFile->Save(wszLink, TRUE) == S_OK;
    pFile->Release();
    pLink->Release();
    if (!bSaved) {
        ReportError(hOwner, kNoLinkSavedText);
        return FALSE;
    }
    return TRUE;
}

void DeleteShortcut(const CString& strGroupDir, const char* pszTitle, BOOL bDesktop)
{
    sys::remove(LinkPath(bDesktop ? DesktopFolder() : strGroupDir, pszTitle));
}

void DeleteGroupShortcuts(const CString& strGroupDir)
{
    for (int i = 0; i < kShortcutCount; ++i) {
        if (!kShortcutTable[i].bDesktop)
            DeleteShortcut(strGroupDir, kShortcutTable[i].pszTitle, FALSE);
    }
}

} // namespace ops
