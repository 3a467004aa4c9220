#include "path.h"
#include <string.h>

namespace ops {

const char* NextSeparator(const char* p)
{
    while (*p && *p != '\\')
        p = AfxNextChar(p);
    return p;
}

BOOL CPathWalk::Next()
{
    if (m_pName && !*m_pEnd)
        return FALSE;
    m_pName = m_pName ? m_pEnd + 1 : m_pEnd;
    m_pEnd = NextSeparator(m_pName);
    return TRUE;
}

const char* NameOf(const char* pszPath)
{
    CPathWalk walk(pszPath, 0);
    while (walk.Next()) {
    }
    return walk.Name();
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

BOOL IsBareName(const char* pszName)
{
    for (const char* p = pszName; *p; p = AfxNextChar(p)) {
        if (::strchr("\\/:", *p))
            return FALSE;
    }
    return *pszName;
}

BOOL IsCanonicalPath(const char* pszPath)
{
    const char chDrive = AfxFoldAscii(pszPath[0]);
    if (chDrive < 'A' || chDrive > 'Z' || pszPath[1] != ':' || pszPath[2] != '\\' || ::lstrlenA(pszPath) >= MAX_PATH)
        return FALSE;
    // Each name is whole: not empty, no "." or "..", no dot or space at its end (the
    // system drops those), no character a name cannot hold ("/" among them).
    for (CPathWalk walk(pszPath, 3); walk.Next();) {
        char chLast = '.';
        for (const char* q = walk.Name(); q < walk.End(); q = AfxNextChar(q)) {
            if ((unsigned char)*q < 0x20 || ::strchr(":<>\"|?*/", *q))
                return FALSE;
            // A double-byte character ends the name with neither a dot nor a space,
            // whatever its trail byte looks like.
            chLast = AfxNextChar(q) - q == 2 ? 'x' : *q;
        }
        if (chLast == '.' || chLast == ' ')
            return FALSE;
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
