#include "install_sites.h"

CInstallSites::~CInstallSites()
{
    while (m_pFirst) {
        Site* pNext = m_pFirst->pNext;
        delete m_pFirst;
        m_pFirst = pNext;
    }
}

CInstallSites::Site* CInstallSites::Enter(const CString& strDir)
{
    Site** ppLink = &m_pFirst;
    for (; *ppLink; ppLink = &(*ppLink)->pNext) {
        if (::lstrcmpiA((*ppLink)->strDir, strDir) == 0)
            return *ppLink;
    }
    Site* pSite = new Site;
    pSite->strDir = strDir;
    pSite->nInstalledRows = 0;
    pSite->pNext = NULL;
    *ppLink = pSite;
    return pSite;
}
