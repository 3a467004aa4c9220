// CRecordFile: the record of a run that changes the machine, kept on disk while it
// does so that a run cut short (a kill, a power cut) can be repaired by the next one.
// One fixed file per machine, in the common application data folder (else the
// Windows directory), which only administrators may write. The record is a header
// with its format's version, then entries appended in the order the run acts; the
// entries of a step are on the disk (Flush) before the step. The whole record is
// kept in memory, so that the run that writes it can settle it itself.
//
// An entry is a kind, a text (a path, a key path or a value name) and data of the
// kind's own (a kept link's bytes, a kept value).
#pragma once
#include "manifest.h"

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

    CRecordFile() : m_pData(NULL), m_nSize(0), m_nCapacity(0), m_nOnDisk(0) {}
    ~CRecordFile() { delete[] m_pData; }

    // The record file's path.
    static CString Path();
    // A new record in place of any old one: its file, empty until the first Flush (an
    // empty record is none), and its header in memory. FALSE when the file cannot be made.
    BOOL Create();
    // The record an earlier run left: kNone when there is none (or it cannot be read).
    Loaded Load();
    // Appends an entry to the record in memory.
    void Add(char chKind, const char* pszText, const void* pData = NULL, DWORD nData = 0);
    // Puts the entries added since the last flush on the disk, after the ones there;
    // FALSE when the disk does not take them. The file is open only meanwhile.
    BOOL Flush();
    // Whether a record is being written or was loaded.
    BOOL IsActive() const { return m_nSize != 0; }
    // Forgets the record; with bDelete, its file goes too, else it stays for the next run.
    void Close(BOOL bDelete);
    // Whether an entry of that kind names that text (case aside).
    BOOL Has(char chKind, const char* pszText) const;
    // The entry at *pnAt, which moves on to the next; FALSE at the end, or where the
    // record breaks off (an entry that was being written when the run was cut short).
    BOOL Next(DWORD* pnAt, Entry* pEntry) const;

private:
    void Append(const void* p, DWORD n);
    BYTE* m_pData;
    DWORD m_nSize;
    DWORD m_nCapacity;
    DWORD m_nOnDisk;  // how much of the record the file holds
    CString m_strPath;
    CRecordFile(const CRecordFile&);
    CRecordFile& operator=(const CRecordFile&);
};

} // namespace ops
