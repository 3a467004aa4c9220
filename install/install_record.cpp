#include "install_record.h"
#include "target_dir.h"

namespace {

BOOL SameDirectory(const ops::DirIdentity& a, const ops::DirIdentity& b)
{
    return a.dwVolume == b.dwVolume && a.nIndexHigh == b.nIndexHigh && a.nIndexLow == b.nIndexLow;
}

} // namespace

CInstallRecord::~CInstallRecord()
{
    while (m_pFirst) {
        Site* pNext = m_pFirst->pNext;
        delete m_pFirst;
        m_pFirst = pNext;
    }
}

BOOL CInstallRecord::SamePath(const char* pszA, const char* pszB)
{
    const int n = ::lstrlenA(pszA);
    return n == ::lstrlenA(pszB) && AfxSameTextNoCase(pszA, pszB, n);
}

BOOL CInstallRecord::Contains(const char* pszDir, const char* pszPath)
{
    const int n = ::lstrlenA(pszDir);
    if (n > ::lstrlenA(pszPath) || !AfxSameTextNoCase(pszDir, pszPath, n))
        return FALSE;
    return pszPath[n] == '\0' || pszPath[n] == '\\' || ops::EndsWithSeparator(pszDir);
}

CInstallRecord::Site* CInstallRecord::Enter(const CString& strDir)
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

BOOL CInstallRecord::KnownApart(const Site& a, const Site& b)
{
    return a.bIdentified && b.bIdentified && !SameDirectory(a.id, b.id);
}
