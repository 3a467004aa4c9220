#include "running_programs.h"
#include "path.h"

namespace ops {
namespace {

// Whether pszPath names a file directly in pszDir (which may end with a separator).
// A double-byte character matches only itself: its trail byte may look like "\" or
// like a letter.
BOOL IsFileInDirectory(const char* pszPath, const char* pszDir)
{
    const int n = ::lstrlenA(pszDir);
    if (::lstrlenA(pszPath) <= n || !AfxSameTextNoCase(pszDir, pszPath, n))
        return FALSE;
    pszPath += n;
    if (!EndsWithSeparator(pszDir) && *pszPath++ != '\\')
        return FALSE;
    return !*NextSeparator(pszPath);
}

} // namespace

BOOL FindProgramRunningIn(const char* const* ppszDirs, int nDirs, DWORD* pnProcessId, CString& strProgram)
{
    CFileHandle snapshot(sys::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsOpen())
        return FALSE;
    BOOL bFound = FALSE;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL bMore = sys::Process32First(snapshot, &entry); bMore && !bFound;
         bMore = sys::Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId())
            continue;
        // Windows 9x lists the program file with its path; later systems list only
        // its name, and tell the path to whoever may query the process (an
        // administrator, or the system account, may query any session's).
        char szImage[MAX_PATH];
        DWORD nImage = MAX_PATH;
        const char* pszImage = entry.szExeFile;
        CHandle process(sys::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (process.IsOpen() && sys::QueryFullProcessImageNameA(process, 0, szImage, &nImage))
            pszImage = szImage;
        for (int i = 0; i < nDirs; ++i) {
            if (*ppszDirs[i] && IsFileInDirectory(pszImage, ppszDirs[i])) {
                *pnProcessId = entry.th32ProcessID;
                strProgram = pszImage;
                bFound = TRUE;
            }
        }
    }
    return bFound;
}

} // namespace ops
