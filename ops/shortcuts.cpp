#include "shortcuts.h"
#include "report.h"
#include "shell_folders.h"
#include "set_aside.h"
#include "file_probe.h"
#include "target_dir.h"
#include "path.h"
#include <shlobj.h>

namespace ops {
namespace {

// The Windows directory + "\Desktop", unless the shell names the desktop folder (all
// users' with bAllUsers, where the system has one and the scope is the machine).
CString DesktopFolder(const CScope& scope, BOOL bAllUsers)
{
    char szPath[MAX_PATH];
    szPath[0] = '\0';
    sys::GetWindowsDirectoryA(szPath, MAX_PATH);
    CString strFolder = CString(szPath) + "\\Desktop";
    scope.LinkFolder(bAllUsers, CSIDL_DESKTOP, CSIDL_COMMON_DESKTOPDIRECTORY, strFolder);
    return strFolder;
}

CString LinkPath(const CString& strFolder, const char* pszTitle)
{
    return strFolder + "\\" + pszTitle + ".lnk";
}

// The paths of the links of the shortcut-table rows in nRows wherever an installation
// of the scope puts them (see RecordProductLinks); a path may repeat. With pnNew, whether the run
// writes each: bit (1 << the path's index) of *pnNew.
void ProductLinkPaths(const CScope& scope, UINT nRows, const CString& strGroupDir, CStringArray& paths, UINT* pnNew = NULL,
                      int nNewDesktop = kNoNewDesktop, BOOL bNewGroup = FALSE)
{
    // First the group given with the user's desktop, then all users' desktop and
    // group, then the user's group as the shell names it. Where the shell names no
    // folder, or the scope is the user's, a pass repeats another one's. The user's
    // own folders are not the machine's to take links from while the user has an
    // installation of their own there.
    const CScope user(TRUE);
    CString strUserGroup;
    const BOOL bUserInstalled = !scope.IsCurrentUser() && user.HasInstallation() &&
                                user.LinkFolder(FALSE, CSIDL_PROGRAMS, 0, strUserGroup);
    for (int nPass = 0; nPass < 3; ++nPass) {
        CString strGroup = strGroupDir;
        if (nPass > 0 && scope.LinkFolder(nPass == 1, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, strGroup))
            strGroup += kProductFolderSuffix;
        for (int i = 0; i < kShortcutCount; ++i) {
            const ShortcutSpec& link = kShortcutTable[i];
            if (!(nRows >> i & 1u) || (link.bDesktop && nPass == 2))
                continue;
            const BOOL bNew = link.bDesktop ? nPass == nNewDesktop : nPass == 0 && bNewGroup;
            const CString strFolder = link.bDesktop ? DesktopFolder(scope, nPass == 1) : strGroup;
            if (!bNew && bUserInstalled && nPass != 1 &&
                (SameText(strFolder, DesktopFolder(user, FALSE)) || SameText(strFolder, strUserGroup + kProductFolderSuffix)))
                continue;
            if (pnNew && bNew)
                *pnNew |= 1u << paths.GetSize();
            paths.Add(LinkPath(strFolder, link.pszTitle));
        }
    }
}

} // namespace

BOOL CreateShortcut(const CScope& scope, HWND hOwner, const CString& strTargetDir, const CString& strGroupDir, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle, BOOL bDesktop, CStringArray* pCreatedDirs,
                    BOOL bAllUsers)
{
    const CString strTarget = strTargetDir + "\\" + pszBaseName + pszExtension;
    CString strFolder;
    if (bDesktop) {
        strFolder = DesktopFolder(scope, bAllUsers);
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
    sys::remove(LinkPath(bDesktop ? DesktopFolder(CScope(), bAllUsers) : strGroupDir, pszTitle));
}

BOOL RecordProductLinks(CRecordFile& record, UINT nRows, const CString& strGroupDir, CStringArray* pKept,
                        int nNewDesktop, BOOL bNewGroup)
{
    CStringArray paths;
    UINT nNew = 0;
    ProductLinkPaths(record.Scope(), nRows, strGroupDir, paths, &nNew, nNewDesktop, bNewGroup);
    for (int i = 0; i < paths.GetSize(); ++i) {
        const CString& strLink = paths.GetAt(i);
        if (record.Has(CRecordFile::kNewFile, strLink) || record.Has(CRecordFile::kKeptLink, strLink))
            continue;  // this run's own, or kept already
        struct _finddata_t fd;
        if (!ProbePath(strLink, &fd)) {
            if (nNew >> i & 1u)
                record.Add(CRecordFile::kNewFile, strLink);
        } else if (fd.attrib & _A_SUBDIR) {
            continue;  // a folder is nobody's link: the save fails there, as it would
        } else if (!KeepLink(record, strLink)) {
            return FALSE;
        } else if (pKept) {
            pKept->Add(strLink);
        }
    }
    return TRUE;
}

void LinkFolders(const CScope& scope, CStringArray& folders)
{
    folders.Add(kDefaultStartMenuDir);
    for (int nAllUsers = 0; nAllUsers < 2; ++nAllUsers) {
        folders.Add(DesktopFolder(scope, nAllUsers));
        CString strGroup;
        if (scope.LinkFolder(nAllUsers, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, strGroup))
            folders.Add(strGroup + kProductFolderSuffix);
    }
}

BOOL IsLinkFolder(const char* pszFolder, const CStringArray& folders)
{
    const char* pszName = NameOf(pszFolder);
    if (SameText(pszName, kProductName) || SameText(pszName, NameOf(folders.GetAt(1))))
        return TRUE;
    for (int i = 0; i < folders.GetSize(); ++i) {
        if (SameText(pszFolder, folders.GetAt(i)))
            return TRUE;
    }
    return FALSE;
}

BOOL IsProductLinkName(const char* pszName)
{
    for (int i = 0; i < kShortcutCount; ++i) {
        const int n = ::lstrlenA(kShortcutTable[i].pszTitle);
        if (AfxSameTextNoCase(pszName, kShortcutTable[i].pszTitle, n) && SameText(pszName + n, ".lnk"))
            return TRUE;
    }
    return FALSE;
}

} // namespace ops
