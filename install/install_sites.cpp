#include "install_sites.h"
#include "target_dir.h"

namespace {

// Compares the first n bytes of pszA with pszB: a single-byte letter a-z matches its
// capital, the two bytes of a double-byte character match only themselves.
BOOL SameBytes(const char* pszA, const char* pszB, int n)
{
    for (int i = 0; i < n; ++i) {
        if (AfxNextChar(pszA + i) - (pszA + i) == 2) {
            if (pszA[i] != pszB[i] || (i + 1 < n && pszA[i + 1] != pszB[i + 1]))
                return FALSE;
            ++i;
        } else if (AfxFoldAscii(pszA[i]) != AfxFoldAscii(pszB[i])) {
            return FALSE;
        }
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
    return pszPath[n] == '\0' || pszPath[n] == '\\' || ops::EndsWithSeparator(pszDir);
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
