#include "install_sites.h"

namespace {

char FoldAscii(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }

// Compares the first n bytes, ignoring the case of ASCII letters only.
BOOL SameBytes(const char* pszA, const char* pszB, int n)
{
    for (int i = 0; i < n; ++i) {
        if (FoldAscii(pszA[i]) != FoldAscii(pszB[i]))
            return FALSE;
    }
    return TRUE;
}

} // namespace

CInstallSites::~CInstallSites()
{
    while (m_pFirst) {
        Site* pNext = m_pFirst->pNext;
        delete m_pFirst;
        m_pFirst = pNext;
    }
}

BOOL CInstallSites::SamePath(const char* pszA, const char* pszB)
{
    const int n = ::lstrlenA(pszA);
    return n == ::lstrlenA(pszB) && SameBytes(pszA, pszB, n);
}

BOOL CInstallSites::Contains(const char* pszDir, const char* pszPath)
{
    const int n = ::lstrlenA(pszDir);
    if (n > ::lstrlenA(pszPath) || !SameBytes(pszDir, pszPath, n))
        return FALSE;
    return pszPath[n] == '\0' || pszPath[n] == '\\' || (n > 0 && pszDir[n - 1] == '\\');
}

CInstallSites::Site* CInstallSites::Enter(const CString& strDir)
{
    Site** ppLink = &m_pFirst;
    for (; *ppLink; ppLink = &(*ppLink)->pNext) {
        if (SamePath((*ppLink)->strDir, strDir))
            return *ppLink;
    }
    Site* pSite = new Site;
    pSite->strDir = strDir;
    pSite->nInstalledRows = 0;
    pSite->pNext = NULL;
    *ppLink = pSite;
    return pSite;
}
