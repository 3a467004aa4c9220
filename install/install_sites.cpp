#include "install_sites.h"
#include "target_dir.h"

namespace {

BOOL SameDirectory(const ops::DirIdentity& a, const ops::DirIdentity& b)
{
    return a.dwVolume == b.dwVolume && a.nIndexHigh == b.nIndexHigh && a.nIndexLow == b.nIndexLow;
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
    return n == ::lstrlenA(pszB) && AfxSameTextNoCase(pszA, pszB, n);
}

BOOL CInstallSites::Contains(const char* pszDir, const char* pszPath)
{
    const int n = ::lstrlenA(pszDir);
    if (n > ::lstrlenA(pszPath) || !AfxSameTextNoCase(pszDir, pszPath, n))
        return FALSE;
    return pszPath[n] == '\0' || pszPath[n] == '\\' || ops::EndsWithSeparator(pszDir);
}

CInstallSites::Site* CInstallSites::Enter(const CString& strDir)
{
    ops::DirIdentity id = {};
    const BOOL bIdentified = ops::DirectoryIdentity(strDir, &id);
    Site** ppLink = &m_pFirst;
    for (Site* pSite; (pSite = *ppLink) != NULL; ppLink = &pSite->pNext) {
        if (bIdentified && pSite->bIdentified ? SameDirectory(id, pSite->id) : SamePath(pSite->strDir, strDir))
            return pSite;
    }
    Site* pSite = new Site;
    pSite->strDir = strDir;
    pSite->nInstalledRows = 0;
    pSite->bIdentified = bIdentified;
    pSite->id = id;
    pSite->pNext = NULL;
    *ppLink = pSite;
    return pSite;
}

BOOL CInstallSites::KnownApart(const Site& a, const Site& b)
{
    return a.bIdentified && b.bIdentified && !SameDirectory(a.id, b.id);
}
