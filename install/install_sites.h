// CInstallSites: the record of what this run's installs wrote, so that a cancel
// undoes exactly that and nothing of the user's. Each directory that the directory
// stage entered is one site, with the payload rows installed there; besides the
// sites, the directories the run had to make, the links it saved and the registry
// keys it opened for writing.
#pragma once
#include "manifest.h"

class CInstallSites {
public:
    struct Site {
        CString strDir;         // the directory as the system reports it once entered
        UINT nInstalledRows;    // bit (1 << row) for each payload row installed here
        Site* pNext;

        void MarkInstalled(int nRow) { nInstalledRows |= 1u << nRow; }
        BOOL IsInstalled(int nRow) const { return (nInstalledRows >> nRow) & 1u; }
    };

    CInstallSites() : m_nLinks(0), m_nRegistryKeys(0), m_pFirst(NULL) {}
    ~CInstallSites();
    // The site of that directory, added when new. Two names are the same site when
    // they differ only in the case of single-byte letters a-z: the comparison is
    // ordinal, does not depend on the user's locale, and never folds a byte of a
    // double-byte character.
    Site* Enter(const CString& strDir);
    Site* First() const { return m_pFirst; }

    // Every directory this run made, full paths in the order made.
    CStringArray m_createdDirs;
    UINT m_nLinks;          // bit (1 << row) per shortcut-table row whose link this run saved
    UINT m_nRegistryKeys;   // the product keys this run opened for writing (ops/registry.h)

    static BOOL SamePath(const char* pszA, const char* pszB);
    // Whether pszDir is pszPath itself or one of the directories above it.
    static BOOL Contains(const char* pszDir, const char* pszPath);

private:
    Site* m_pFirst;
    CInstallSites(const CInstallSites&);
    CInstallSites& operator=(const CInstallSites&);
};
