#include "path.h"
#include <string.h>

namespace ops {

const char* NextSeparator(const char* p)
{
    while (*p && *p != '\\')
        p = AfxNextChar(p);
    return p;
}

const char* NameOf(const char* pszPath)
{
    const char* pszName = pszPath;
    for (const char* p = pszPath; *(p = NextSeparator(p)); ++p)
        pszName = p + 1;
    return pszName;
}

CString ParentOf(const char* pszPath)
{
    const char* pszName = NameOf(pszPath);
    return CString(pszPath, pszName == pszPath ? 0 : (int)(pszName - 1 - pszPath));
}

BOOL SameText(const char* pszA, const char* pszB)
{
    const int n = ::lstrlenA(pszA);
    return n == ::lstrlenA(pszB) && AfxSameTextNoCase(pszA, pszB, n);
}

BOOL EndsWithSeparator(const char* psz) { return *psz && !*NameOf(psz); }

BOOL LiesBelow(const char* pszPath, const char* pszDir)
{
    const int n = ::lstrlenA(pszDir);
    return n <= ::lstrlenA(pszPath) && AfxSameTextNoCase(pszDir, pszPath, n) &&
           (pszPath[n] == '\0' || pszPath[n] == '\\' || EndsWithSeparator(pszDir));
}

BOOL IsCanonicalPath(const char* pszPath)
{
    const char chDrive = AfxFoldAscii(pszPath[0]);
    if (chDrive < 'A' || chDrive > 'Z' || pszPath[1] != ':' || pszPath[2] != '\\' || ::lstrlenA(pszPath) >= MAX_PATH)
        return FALSE;
    // Each name is whole: not empty, no "." or "..", no dot or space at its end (the
    // system drops those), no character a name cannot hold ("/" among them).
    for (const char* p = pszPath + 3; *p;) {
        const char* pEnd = NextSeparator(p);
        char chLast = '.';
        for (const char* q = p; q < pEnd; q = AfxNextChar(q)) {
            if ((unsigned char)*q < 0x20 || ::strchr(":<>\"|?*/", *q))
                return FALSE;
            chLast = AfxNextChar(q) - q == 2 ? 'x' : *q;
        }
        if (chLast == '.' || chLast == ' ' || (*pEnd && !pEnd[1]))
            return FALSE;
        p = *pEnd ? pEnd + 1 : pEnd;
    }
    return TRUE;
}

CString FullPath(const char* pszPath)
{
    char szFull[MAX_PATH];
    const DWORD n = sys::GetFullPathNameA(pszPath, MAX_PATH, szFull, NULL);
    return n && n < MAX_PATH ? CString(szFull) : CString(pszPath);
}

} // namespace ops
