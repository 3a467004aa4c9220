// CRecordFile: the record of a run that changes the machine, kept on disk while it
// does so that a run cut short (a kill, a power cut) can be repaired by the next one.
// One file per scope, in the installer's own folder (kSetupFolder) at the scope's
// places (scope.h): for the machine, a folder the installer made for itself that only
// administrators can have written (own_folder.h); for a user, one of the user's. A record
// anywhere else, or in a folder or file that is not the installer's own, is never
// read. The record is a header with its format's version, then entries appended in
// the order the run acts; the entries of a step are on the disk (Flush) before the
// step. The whole record is kept in memory, so that the run that writes it can
// settle it itself, and indexed, so that looking an entry up takes no walk.
//
// The format (version 2; a new kind or layout takes the next version). The header is
// "MRR" and the version's byte. Each entry is its kind (one byte), the length of its
// text with its terminator (four bytes, little-endian), the text, the length of its
// data (four bytes) and the data. An entry broken off at the end is not one.
//
//   kind  text                   data                                   written by            read by
//   D     a directory            -                                      the directory stage,  settling: removed
//                                                                       the shortcut stage    when empty, deepest first
//   S     a site (directory)     the VER????.tmp names there before,    the payload stage,    settling: its temporaries go;
//                                each with its NUL                      the removal           confinement: its files
//   N     a file or link         -                                      payload, shortcuts    settling: removed
//   A     a file set aside       -                                      payload, removal      settling: put back or dropped
//   O     a site                 the name of its folder aside, NUL      RecordSetAside        MoveAside, PutBack, DropAside
//   L     a link kept            attributes, three FILETIMEs, bytes     RecordProductLinks    settling: written back
//   K     a key kept             its class with its NUL                 KeepKeyTree           settling: made again
//   V     a value of the last K  its type (four bytes), its bytes       KeepKeyTree           settling: set again
//   R     ""                     one byte: whether the maker's key was  the registry stage    settling: the product's
//                                there                                                        keys (and maker's) go
//   C     ""                     -                                      a completed run       settling: what is aside goes
#pragma once
#include "scope.h"

namespace ops {

class CRecordFile {
public:
    // The kinds of entry, by what the run did or is about to do.
    enum Kind {
        kMadeDirectory = 'D',  // a directory it made
        kSite = 'S',           // a directory where payload files are expanded (its temporaries)
        kNewFile = 'N',        // a file or link that was not there and that the run makes
        kSetAside = 'A',       // a file moved into the folder aside (kAsideFolder) of its directory
        kKeptLink = 'L',       // a link kept as its bytes; data: attributes, three times, the bytes
        kMadeAside = 'O',      // a folder aside that the run made in a directory, before anything moves into it
        kKeptKey = 'K',        // a registry key kept, with the values that follow it
        kKeptValue = 'V',      // a value of the last kept key; data: its type, then its bytes
        kRegistry = 'R',       // the registry stage begins; data: whether the vendor's key was there
        kCompleted = 'C',      // the install completed: what was set aside goes
    };
    struct Entry {
        char chKind;
        const char* pszText;
        const BYTE* pData;
        DWORD nData;
    };
    enum Loaded { kNone, kLoaded, kUnknownFormat };
    explicit CRecordFile(const CScope& scope = CScope())
        : m_scope(scope), m_pData(NULL), m_nSize(0), m_nCapacity(0), m_nOnDisk(0), m_pIndex(NULL), m_nIndexSize(0), m_nIndexed(0), m_bLoaded(FALSE) {}
    ~CRecordFile()
    {
        delete[] m_pData;
        delete[] m_pIndex;
    }

    // Where the record file of the scope is at its first place.
    static CString Path(const CScope& scope = CScope());
    // The scope whose record this is: its keys are below the scope's root.
    const CScope& Scope() const { return m_scope; }
    // Where this record's file is, once created or loaded.
    const CString& FilePath() const { return m_strPath; }
    // A new record in place of any old one: its file, empty until the first Flush (an
    // empty record is none), and its header in memory. FALSE when the file cannot be made.
    BOOL Create();
    // The record an earlier run left: kNone when there is none (or it cannot be read).
    // A folder or a file at a record's place that is not the installer's own is not
    // read, and named in Refused().
    Loaded Load();
    const CString& Refused() const { return m_strRefused; }
    // Appends an entry to the record in memory.
    void Add(char chKind, const char* pszText, const void* pData = NULL, DWORD nData = 0);
    // Puts the entries added since the last flush on the disk, after the ones there;
    // FALSE when the disk does not take them. The file is open only meanwhile.
    BOOL Flush();
    // Adds an entry and puts it on the disk at once; when the disk does not take it,
    // the entry is taken back, in memory too, and FALSE.
    BOOL Commit(char chKind);
    // Whether the record was read from the disk (an earlier run's), not written by this one.
    BOOL IsLoaded() const { return m_bLoaded; }
    // Whether a record is being written or was loaded.
    BOOL IsActive() const { return m_nSize != 0; }
    // Forgets the record; with bDelete, its file goes too, else it stays for the next run.
    void Close(BOOL bDelete);
    // The last entry of that kind that names that text (case aside); FALSE when none does.
    BOOL Find(char chKind, const char* pszText, Entry* pEntry) const;
    BOOL Has(char chKind, const char* pszText) const
    {
        Entry entry;
        return Find(chKind, pszText, &entry);
    }
    // The entry at *pnAt, which moves on to the next; FALSE at the end, or where the
    // record breaks off (an entry that was being written when the run was cut short).
    BOOL Next(DWORD* pnAt, Entry* pEntry) const;

private:
    Loaded Read(HANDLE hFile, DWORD nSize);
    void Append(const void* p, DWORD n);
    void Index(DWORD nAt);
    // The index made anew over the entries the record holds.
    void Reindex();
    CScope m_scope;
    BYTE* m_pData;
    DWORD m_nSize;
    DWORD m_nCapacity;
    DWORD m_nOnDisk;  // how much of the record the file holds
    DWORD* m_pIndex;  // entries by their kind and text (open addressing); each slot an entry's offset, 0 empty
    DWORD m_nIndexSize;
    DWORD m_nIndexed;
    BOOL m_bLoaded;
    CString m_strPath;
    CString m_strRefused;
    CRecordFile(const CRecordFile&);
    CRecordFile& operator=(const CRecordFile&);
};

} // namespace ops
