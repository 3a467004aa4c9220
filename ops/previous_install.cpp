// Paths are built to their full length; a directory too long for the system's
// directory search simply finds nothing.
#include "previous_install.h"
#include "file_probe.h"
#include "registry.h"
#include "shortcuts.h"

namespace ops {
namespace {

// Whether a key below HKEY_LOCAL_MACHINE is there (opens for reading). With pstrPath,
// its "Path" value goes there, and *pbPathRead says whether it could be read. The key
// is closed on return, before the caller may remove it.
BOOL ProbeKey(const char* pszPath, CString* pstrPath = NULL, BOOL* pbPathRead = NULL)
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, pszPath, KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    if (pstrPath)
        *pbPathRead = ReadRegistryText(key, kPathValue, *pstrPath);  // which leaves it as it was when it fails
    return TRUE;
}

// Deletes a key, with everything below it, through its parent.
void DeleteKeyPath(const char* pszPath)
{
    const CString strPath = pszPath;
    int nSeparator = -1;
    for (int i = 0; i < strPath.GetLength(); ++i) {
        if (strPath.GetAt(i) == '\\')
            nSeparator = i;
    }
    if (nSeparator <= 0)
        return;
    DeleteRegistrySubkey(strPath.Left(nSeparator), strPath.Right(strPath.GetLength() - nSeparator - 1));
}

// Whether a directory lists anything at all (an existing directory lists at least
// its own "." entry).
BOOL DirectoryHasEntries(const CString& strDir)
{
    struct _finddata_t fd;
    return ProbePath(strDir + kAnyFileSuffix, &fd);
}

} // namespace

BOOL DetectPreviousInstall(BOOL bRemove, CString& strInstallDir, const CString& strGroupDir, BOOL* pbPathRead)
{
    BOOL bFound = FALSE;
    *pbPathRead = FALSE;

    // 1. Application path: its "Path" becomes the proposed directory.
    if (ProbeKey(kAppPathsKey, &strInstallDir, pbPathRead)) {
        bFound = TRUE;
        if (bRemove)
            DeleteKeyPath(kAppPathsKey);
    }

    // 2. Uninstall entry. 3. Vendor key, with its versions below it.
    static const char* const kProbedKeys[] = { kUninstallKey, kVendorKey };
    for (int i = 0; i < (int)ARRAYSIZE(kProbedKeys); ++i) {
        if (ProbeKey(kProbedKeys[i])) {
            bFound = TRUE;
            if (bRemove)
                DeleteKeyPath(kProbedKeys[i]);
        }
    }

    // 4. Installation directory: the product's program files go, nothing else.
    if (!strInstallDir.IsEmpty() && DirectoryHasEntries(strInstallDir)) {
        bFound = TRUE;
        if (bRemove) {
            DeleteMatchingFiles(strInstallDir, kProgramFilesPattern);
            DeleteMatchingFiles(strInstallDir, kUninstallerFile);
        }
    }

    // 5. Program group: its three links go, the folder stays. They go from the
    // program group of all users and of the user too, whichever this run uses: an
    // installation for the machine puts them into the one, a run with windows into
    // the other.
    if (!strGroupDir.IsEmpty() && DirectoryHasEntries(strGroupDir))
        bFound = TRUE;
    if (bRemove)
        DeleteProductLinks(kGroupShortcutRows, strGroupDir);
    return bFound;
}

void DeleteMatchingFiles(const char* pszDir, const char* pszPattern)
{
    const CString strDir = CString(pszDir) + "\\";
    CStringArray names;
    ListFiles(strDir + pszPattern, names);
    for (int i = 0; i < names.GetSize(); ++i)
        sys::remove(strDir + (const char*)names.GetAt(i));
}

} // namespace ops
