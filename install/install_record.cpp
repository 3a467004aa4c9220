#include "install_record.h"
#include "path.h"

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

CInstallRecord::Site* CInstallRecord::Enter(const CString& strDir)
{
    ops::DirIdentity id = {};
    const BOOL bIdentified = ops::DirectoryIdentity(strDir, &id);
    Site** ppLink = &m_pFirst;
    for (Site* pSite; (pSite = *ppLink) != NULL; ppLink = &pSite->pNext) {
        if (bIdentified && pSite->bIdentified ? SameDirectory(id, pSite->id) : ops::SameText(pSite->strDir, strDir))
            return pSite;
    }
    Site* pSite = new Site;
    pSite->strDir = strDir;
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
