// The journal's places as its module keeps them in memory, and the one way it opens
// what stands at a place's path (shared by the parts of ops::CJournal; nothing else
// includes it).
#pragma once
#include "journal.h"

namespace ops {

struct CJournal::Place {
    Place(char chKindOf, int nWhichOf, const char* pszPath)
        : strPath(pszPath), chKind(chKindOf), nWhich((BYTE)nWhichOf), nMade(0), bHeld(FALSE), bForeign(FALSE),
          bUndone(FALSE), bAttempt(FALSE), dwVolume(0), nIndexHigh(0), nIndexLow(0)
    {
    }
    CString strPath;   // "" for the key root
    CString strAside;  // the name of its folder aside, once the run chose one
    char chKind;       // 'F', 'S', 'L' or 'K', as its entry
    BYTE nWhich;       // of a journal folder or a link folder: its number in the scope
    BYTE nMade;        // how many names at its end the run makes
    BYTE bHeld;        // held and checked: what the journal names in it is the run's
    BYTE bForeign;     // read from the disk and not the run's: left as it is
    BYTE bUndone;      // what the run did in it was undone (an earlier attempt's site)
    BYTE bAttempt;     // a site an install went into (not only a removal), in this run
    CFileHandle held;  // the folder itself, kept from being renamed or replaced
    DWORD dwVolume;    // which directory it is, once held (all 0: the system cannot say)
    DWORD nIndexHigh;
    DWORD nIndexLow;
};

// A link's kept data: its attributes and its creation, access and write times, then its bytes.
struct KeptLinkHead {
    DWORD dwAttributes;
    FILETIME ftTimes[3];
};

// Whether the system keeps folders apart by handles and rights: the NT family does;
// Windows 9x has neither the flags to open a folder itself nor users to guard against.
BOOL KeepsSecurity();
// Opens what stands at the path itself (a folder with FILE_FLAG_BACKUP_SEMANTICS in
// dwFlags), never what a reparse point there leads to, shared for reading and writing
// but never for deletion, so that it can neither be renamed nor deleted meanwhile.
HANDLE OpenInPlace(const char* pszPath, DWORD dwAccess, DWORD dwFlags);

} // namespace ops
