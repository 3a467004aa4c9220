// CInstallSites: where this run's installs wrote. Each directory that the directory
// stage entered is one site, with the payload rows installed there. The rollback
// cleans these directories and no other, whatever the field shows by then.
#pragma once
#include "manifest.h"

class CInstallSites {
public:
    struct Site {
        CString strDir;         // as the install passed it to the directory stage
        UINT nInstalledRows;    // bit (1 << row) for each payload row installed here
        Site* pNext;

        void MarkInstalled(int nRow) { nInstalledRows |= 1u << nRow; }
        BOOL IsInstalled(int nRow) const { return (nInstalledRows >> nRow) & 1u; }
    };

    CInstallSites() : m_pFirst(NULL) {}
    ~CInstallSites();
    // The site of that directory, added when new; the same directory typed in
    // another letter case is the same site.
    Site* Enter(const CString& strDir);
    Site* First() const { return m_pFirst; }

private:
    Site* m_pFirst;
    CInstallSites(const CInstallSites&);
    CInstallSites& operator=(const CInstallSites&);
};
