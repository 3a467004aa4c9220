// CInstallRecord: the record of what this run's installs made, so that a cancel
// undoes exactly that and nothing of the user's. Each directory that the directory
// stage entered is one site, with the payload files this run created there (a file
// that was there before is not this run's, even once replaced); besides the sites,
// the directories the run had to make, the links it saved and the registry keys it
// created. A directory is one site whatever name reached it.
#pragma once
#include "file_probe.h"

class CInstallRecord {
public:
    struct Site {
        CString strDir;         // the directory as the system reports it once entered
        UINT nInstalledRows;    // bit (1 << row) for each payload file this run created here
        BOOL bIdentified;       // the system told which directory it is
        ops::DirIdentity id;
        Site* pNext;

        void MarkInstalled(int nRow) { nInstalledRows |= 1u << nRow; }
        BOOL IsInstalled(int nRow) const { return (nInstalledRows >> nRow) & 1u; }
    };

    CInstallRecord() : m_nLinks(0), m_pFirst(NULL) {}
    ~CInstallRecord();
    // The site of that directory, added when new. Two names are the same site when
    // the system identifies them as one directory; where it cannot, when they differ
    // only in the case of single-byte letters a-z (an ordinal comparison that does not
    // depend on the user's locale and never folds a byte of a double-byte character).
    Site* Enter(const CString& strDir);
    // Whether the two sites are known to be different directories; where the system
    // could not identify either, they might be one, and nothing of one may be removed
    // for the other's sake.
    static BOOL KnownApart(const Site& a, const Site& b);
    Site* First() const { return m_pFirst; }

    // Every directory this run made, full paths in the order made.
    CStringArray m_createdDirs;
    UINT m_nLinks;          // bit (1 << row) per shortcut-table row whose link this run saved
    CStringArray m_createdKeys;  // the registry keys this run created, parents first (ops/registry.h)

private:
    Site* m_pFirst;
    CInstallRecord(const CInstallRecord&);
    CInstallRecord& operator=(const CInstallRecord&);
};
