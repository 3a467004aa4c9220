// Paths are built to their full length; a directory too long for the system's
// directory search simply finds nothing.
#include "previous_install.h"
#include "file_probe.h"
#include "registry.h"
#include "path.h"

namespace ops {
namespace {

// Whether a key below the scope's root is there (opens for reading). With pstrPath,
// its "Path" value goes there, and *pbPathRead says whether it could be read. The key
// is closed on return, before the caller may remove it.
BOOL ProbeKey(const CScope& scope, const char* pszPath, CString* pstrPath = NULL, BOOL* pbPathRead = NULL)
{
    CRegKey key;
    if (key.Open(scope.Root(), pszPath, KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    if (pstrPath)
        *pbPathRead = ReadRegistryText(key, kPathValue, *pstrPath);  // which leaves it as it was when it fails
    return TRUE;
}

// Whether a directory lists anything at all (an existing directory lists at least
// its own "." entry).
BOOL DirectoryHasEntries(const CString& strDir)
{
    struct _finddata_t fd;
    return ProbePath(strDir + kAnyFileSuffix, &fd);
}

} // namespace

BOOL DetectPreviousInstall(const CScope& scope, CString& strInstallDir, const CString& strGroupDir, BOOL* pbPathRead)
{
    *pbPathRead = FALSE;
    // 1. Application path: its "Path" becomes the proposed directory.
    BOOL bFound = ProbeKey(scope, kAppPathsKey, &strInstallDir, pbPathRead);
    // 2. Uninstall entry. 3. Vendor key, with its versions below it.
    bFound |= ProbeKey(scope, kUninstallKey) | ProbeKey(scope, kVendorKey);
    // 4. Installation directory. 5. Program group.
    bFound |= !strInstallDir.IsEmpty() && DirectoryHasEntries(strInstallDir);
    bFound |= !strGroupDir.IsEmpty() && DirectoryHasEntries(strGroupDir);
    return bFound;
}

BOOL SetPreviousInstallAside(CJournal& journal, const CString& strInstallDir, UINT nLinkRows,
                             const CStringArray* pMoreFiles, CStringArray* pStayed)
{
    // Everything is on the journal, and the journal on the disk, before anything goes.
    if (!journal.KeepProductKeys())
        return FALSE;
    // The product's program files go from the installation directory, nothing else,
    // named as the system names it.
    const CString strDir = FullPath(strInstallDir);
    CStringArray files;
    if (!strInstallDir.IsEmpty()) {
        ListFiles(strDir + "\\" + kProgramFilesPattern, files);
        ListFiles(strDir + "\\" + kUninstallerFile, files);
    }
    for (int i = 0; pMoreFiles && i < pMoreFiles->GetSize(); ++i)
        files.Add(pMoreFiles->GetAt(i));
    // The directory is one of the run's sites; what goes from it goes into a folder
    // aside that the run makes there.
    const int nSite = files.GetSize() ? journal.EnterSite(strDir, FALSE) : CJournal::kNoPlace;
    if (files.GetSize() && nSite == CJournal::kNoPlace)
        return FALSE;
    for (int i = 0; i < files.GetSize(); ++i)
        journal.WillSetAside(nSite, files.GetAt(i));
    // The links go from the folders of all users and of the user too, whichever this
    // run uses: an installation for the machine puts them into the one, a run with
    // windows into the other. The folders stay.
    CStringArray links;
    if (!journal.KeepProductLinks(nLinkRows, links) || !journal.Flush())
        return FALSE;

    // A file that another program holds stays where it is.
    for (int i = 0; i < files.GetSize(); ++i) {
        if (!journal.MoveAside(nSite, files.GetAt(i)) && pStayed)
            pStayed->Add(journal.PathOf(nSite, files.GetAt(i)));
    }
    if (pStayed && pStayed->GetSize())
        return TRUE;
    for (int i = 0; i < links.GetSize(); ++i)
        sys::remove(links.GetAt(i));
    for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i)
        DeleteKeyPath(journal.Scope(), kProductKeys[i]);
    return TRUE;
}

} // namespace ops
