// CInstallRecord: the directories this run's installs entered (its sites), each
// known by the system's identity of the directory, so that a run that completes in
// one of them can tell the others apart: a directory is one site whatever name
// reached it. What was made and set aside in each is in the run's record on disk.
#pragma once
#include "file_probe.h"

class CInstallRecord {
public:
    struct Site {
        CString strDir;         // the directory as the system reports it once entered
        BOOL bIdentified;       // the system told which directory it is
        ops::DirIdentity id;
        Site* pNext;
    };

    CInstallRecord() : m_pFirst(NULL) {}
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

private:
    Site* m_pFirst;
    CInstallRecord(const CInstallRecord&);
    CInstallRecord& operator=(const CInstallRecord&);
};
