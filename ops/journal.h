// CJournal: the journal of a run that changes the machine, on the disk while it does,
// so that its rollback, a cancel and the next run's repair of a run cut short (a
// kill, a power cut) undo exactly what it did, and only a completed run deletes what
// it set aside. One journal per scope: kRecordFileName in the first of the scope's
// journal folders (CScope::JournalFolder) that is the installer's own.
//
// Its head names the run's places, each once, as the run enters them: a site (a
// target directory, or a directory a removal takes files from), the journal's own
// folder (where the installer's copy is kept), a link folder of the scope's, the root
// of the product's keys. A place is made canonical and checked once, when it is
// entered, and stays the checked place while the run works in it (EnterSite, Hold).
// Every other entry is a place and a bare name of the product's tables (a file the
// run makes, a file it sets aside, a link kept as its bytes; a key below one of the
// product's keys), so no entry can name anything outside the run's places, and no
// "..", "/", "\\?\" or UNC path can occur in one. A journal read from the disk is
// entered again place by place with the same checks: a place that fails them, and an
// entry of a name not in the tables, is not the run's and is left as it is.
//
// The format (version 3; a new kind or layout takes the next version; only this
// module knows it). The header is "MRR" and the version's byte. Each entry is its kind
// (one byte), its place (one byte: the number of a place entry before it, counted
// from 0; 0 in a place entry), the length of its body (four bytes, little-endian)
// and the body: a name with its NUL, then the kind's data. An entry broken off at the
// end is not one, and the journal ends at an entry that names no place before it.
//
//   kind  place     name                          data
//   F     -         the journal's folder          its number among the scope's journal folders
//   S     -         a site                        how many names at its end the run makes
//   L     -         a link folder                 its number (CScope::Link), how many names it makes
//   K     -         ""                            - (the root of the product's keys)
//   T     S         ""                            its owner and DACL before the run took it over
//   A     F, S      its folder aside's name       -
//   V     S         a VER????.tmp there before    -
//   N     F, S, L   a file or link the run makes  -
//   M     F, S      a file moved aside            -
//   B     L         a link kept                   its attributes, three FILETIMEs, its bytes
//   Y     K         a key below a product key     the product key's number, the key's class
//   W     K         a value of the last Y         its type (four bytes), its bytes
//   R     K         ""                            whether the maker's key was there (one byte)
//   U     S         ""                            what the run did there undone by itself
//   C     F         ""                            the run completed
#pragma once
#include "manifest.h"
#include "scope.h"

namespace ops {

// Where the journal tells what it did to the run's log: a format with one text field
// and the text (a path or a key).
typedef void (*JournalNote)(const char* pszFormat, const char* pszText);

class CJournal {
public:
    enum { kNoPlace = -1 };
    enum Loaded { kNone, kLoaded, kUnknownFormat };
    CJournal(const CScope& scope, JournalNote pfnNote);
    ~CJournal() { Close(FALSE); }

    const CScope& Scope() const { return m_scope; }
    // Where the journal's file is, once started or loaded; else where it is first looked for.
    CString FilePath() const;
    // Whether a journal is being written or was loaded.
    BOOL IsActive() const { return m_nSize != 0; }

    // A new journal: its folder entered (made first, with the installer's own rights),
    // its file made anew, its head in memory, on the disk with the first Flush. A
    // folder that is not the installer's own is passed over (and said). FALSE when no
    // folder is or the file cannot be made.
    BOOL Start();
    // The journal a run cut short left in that journal folder (said), entered again place
    // by place: kNone when there is none, or it is not the installer's (said), or it was
    // broken off before its first entry (then it goes); kUnknownFormat (said), left as it is.
    Loaded Load(int nFolder);
    // Puts what was added since the last flush on the disk (nothing when nothing was);
    // FALSE when the disk does not take it.
    BOOL Flush();

    // The places. Each Enter gives the place's number, the same for the same place, or
    // kNoPlace when it is not one the run may use (said): not one of the scope's, not in
    // the one form of a full path, reached through a reparse point, below a folder
    // whose owner or rights let others swap what is in it, or one that is not the
    // installer's own (for the machine: owned by Administrators, SYSTEM, TrustedInstaller
    // or the run's own owner, and nobody else may write there; for a user: below the
    // user's profile or, where the run holds no more than the user's rights, anywhere).
    int EnterJournalFolder(int nFolder);
    // A site; with bMakeChain, the directories of it that are not there are on the
    // journal as the run's to make (and to remove again), and it is held once Hold
    // says so; else it must be there. A site there is held at once.
    int EnterSite(const char* pszDir, BOOL bMakeChain);
    // A link folder of the scope (CScope::Link), as EnterSite.
    int EnterLinkFolder(int nLink, BOOL bMakeChain);
    // Holds the place, there now, through a handle that keeps it and the folders above
    // it from being renamed or replaced until the journal closes, and checks it through
    // that handle. A site of the machine that others may write is taken over: owner
    // Administrators and the rights of Program Files, its old owner and rights on the
    // journal first, so that a run that does not complete gives them back. FALSE when
    // it is not there or not the run's.
    BOOL Hold(int nPlace);
    // Makes the names of a link folder's chain that are not there (with the rights of
    // the folder above), then holds it; FALSE when it is not there or not the run's.
    BOOL MakeChain(int nPlace);
    // Whether the place is there and held (a site whose chain the run makes is not, until made).
    BOOL IsHeld(int nPlace) const;
    const CString& PlacePath(int nPlace) const;
    CString PathOf(int nPlace, const char* pszName) const;

    // What the run is about to write at that name of the place: a file there is set
    // aside (*pbAside: the caller moves it, MoveAside, once this is on the disk), a link
    // there kept as its bytes, no file there recorded as new. Nothing when the journal
    // names it already (the run's own) or a folder stands there (the write fails on
    // it). FALSE when a link there cannot be read whole.
    BOOL WillWrite(int nPlace, const char* pszName, BOOL* pbAside);
    // A file of the place that the run removes goes aside: into a folder aside that
    // the run makes in the place ("MR.OLD", else the first of "MR.OLD1", "MR.OLD2", ...
    // that is not there), once this is on the disk.
    void WillSetAside(int nPlace, const char* pszName);
    // Moves the file aside, retrying briefly while another program holds it; FALSE when
    // it stays where it is.
    BOOL MoveAside(int nPlace, const char* pszName);
    // Keeps the links of the shortcut-table rows in nRows (bit 1 << row) that stand in
    // the scope's link folders (not a user's own while that user has an installation
    // of their own), adding each one's path to kept; FALSE when one cannot be read whole.
    BOOL KeepProductLinks(UINT nRows, CStringArray& kept);
    // Keeps the product's keys with everything below them; FALSE when a part of one
    // cannot be read.
    BOOL KeepProductKeys();
    // The registry stage begins: the product's keys are this run's from here (those
    // there at its first attempt kept first), and so is the maker's key when it is not
    // there. FALSE when a key there cannot be kept.
    BOOL WillWriteProductKeys();

    // Undoes what the run did in each site known to be another directory than nSite's
    // (its earlier attempts), leaving the directories that hold nSite; silent.
    void UndoOtherSites(int nSite);
    // The run completed, once the disk says so; FALSE, nothing changed, when it does not.
    BOOL Complete();
    // Settles the journal: a completed run's files set aside are deleted; any other
    // run's changes are undone, what it made first, then what it set aside put back
    // (with hOwner and bReport, a directory it made that stays is said in a "NOTE" box).
    // Twice is as good as once. FALSE when something of an unfinished run could not be
    // undone: the journal stays for the next run.
    BOOL Settle(HWND hOwner = NULL, BOOL bReport = FALSE);
    // Forgets the journal and lets go of its places; with bDelete, its file goes too.
    void Close(BOOL bDelete);

private:
    struct Place;
    struct Entry {
        char chKind;
        int nPlace;
        const char* pszName;
        const BYTE* pData;
        DWORD nData;
    };
    enum { kMaxPlaces = 64 };

    // journal_file.cpp
    void Append(const void* p, DWORD n);
    void Add(char chKind, int nPlace, const char* pszName, const void* pData = NULL, DWORD nData = 0);
    static BOOL NextIn(const BYTE* pData, DWORD nSize, DWORD* pnAt, Entry* pEntry);
    BOOL Next(DWORD* pnAt, Entry* pEntry) const;
    // Whether an entry of one of the kinds names that name of the place.
    BOOL Has(const char* pszKinds, int nPlace, const char* pszName) const;
    BOOL Replay(const BYTE* pFile, DWORD nFile);
    BOOL Take(const Entry& entry);
    void Note(const char* pszFormat, const char* pszText) const { m_pfnNote(pszFormat, pszText); }
    // journal_place.cpp
    int Enter(char chKind, int nWhich, const CString& strPath, BOOL bMakeChain);
    BOOL Reenter(char chKind, int nWhich, const char* pszPath, int nMade);
    BOOL IsMachinePlace(const Place& place) const;
    BOOL Locate(Place& place, int* pnMissing);
    BOOL IsTrusted(HANDLE hFolder, const char* pszPath, DWORD dwRights);
    BOOL TakeOver(int nPlace);
    BOOL KnownApart(int nA, int nB) const;
    // journal_aside.cpp
    BOOL KeepLink(int nPlace, const char* pszName);
    BOOL KeepKeyTree(int nKey, const CString& strSubkey);
    // journal_settle.cpp
    BOOL Applies(const Entry& entry, int nOnly) const;
    BOOL Undo(int nOnly, const char* pszKeep, HWND hOwner, BOOL bReport);
    BOOL RemoveNewFiles(int nOnly);
    void RemoveTemporaries(int nOnly);
    void RemoveChains(int nOnly, const char* pszKeep, HWND hOwner, BOOL bReport);
    BOOL PutBack(int nOnly);
    void GiveBack(int nOnly);
    BOOL DropAside();

    CScope m_scope;
    JournalNote m_pfnNote;
    BYTE* m_pData;
    DWORD m_nSize;
    DWORD m_nCapacity;
    DWORD m_nOnDisk;  // how much of the journal its file holds
    HANDLE m_hFile;   // the journal's file while the run writes it
    BOOL m_bLoaded;   // read from the disk (an earlier run's), not written by this one
    CString m_strFile;
    Place* m_apPlaces[kMaxPlaces];
    int m_nPlaces;
    BOOL m_bOwnersKnown;
    BYTE m_abOwners[2 * SECURITY_MAX_SID_SIZE];  // the token's default owner, the Windows directory's owner
    CJournal(const CJournal&);
    CJournal& operator=(const CJournal&);
};

} // namespace ops
