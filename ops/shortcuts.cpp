#include "shortcuts.h"
#include "report.h"
#include "path.h"
#include "target_dir.h"
#include <shlobj.h>

namespace ops {

BOOL CreateShortcut(HWND hOwner, const CString& strTargetDir, const char* pszFolder, BOOL bGroup, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle)
{
    const CString strTarget = strTargetDir + "\\" + pszBaseName + pszExtension;
    if (bGroup && pszFolder)
        CreateTargetDirectory(hOwner, pszFolder);  // the link is attempted whatever happens

    // A link path that does not fit the system's limit is refused, never cut short.
    WCHAR wszLink[MAX_PATH];
    BOOL bFits = pszFolder && ::MultiByteToWideChar(CP_ACP, 0, CString(pszFolder) + "\\" + pszTitle + ".lnk", -1,
                                                     wszLink, MAX_PATH) != 0;

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

CString LinkName(int nRow) { return CString(kShortcutTable[nRow].pszTitle) + ".lnk"; }

BOOL IsProductLinkName(const char* pszName)
{
    for (int i = 0; i < kShortcutCount; ++i) {
        if (SameText(pszName, LinkName(i)))
            return TRUE;
    }
    return FALSE;
}

} // namespace ops
