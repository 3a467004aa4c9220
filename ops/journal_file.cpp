// The journal's format and file: its one table of kinds, the entries appended in
// memory and put on the disk, and a journal read back from the disk entry by entry,
// each checked against the table and its place entered again.
#include "journal_place.h"
#include "file_probe.h"
#include "path.h"
#include "shortcuts.h"
#include <string.h>

namespace ops {
namespace {

// "MRR" and the format's version; a journal of any other start is not this run's to read.
const char kHeader[] = "MRR\x03";
const DWORD kHeaderSize = sizeof kHeader - 1;
const DWORD kEntryHead = 6;  // kind, place, length of the body
// Larger than any journal a run writes: a link is a few KB, the product's keys fewer.
const DWORD kLargestJournal = 1u << 22;

// The kinds of entry that name a place entered before them: the kinds of place each
// may name, and the rule its name keeps ('a' a folder aside's, 'f' a file of the
// product's for that kind of place, '*' any: a name that only keeps something, or none
// at all). A place entry (F, S, L, K) is entered as a place.
enum { kF = 1, kS = 2, kL = 4, kK = 8 };  // the kinds of place, as bits
struct KindRule {
    char chKind;
    BYTE nPlaces;
    char chName;
};
const KindRule kKinds[] = {
    { 'T', kS, '*' }, { 'A', kF | kS, 'a' }, { 'V', kS, '*' }, { 'N', kF | kS | kL, 'f' }, { 'M', kF | kS, 'f' },
    { 'B', kL, 'f' }, { 'Y', kK, '*' },      { 'W', kK, '*' }, { 'R', kK, '*' },           { 'U', kS, '*' },
    { 'C', kF, '*' },
};
// The bit of a kind of place ('F', 'S', 'L', 'K').
BYTE PlaceBit(char chKind) { return chKind == 'F' ? kF : chKind == 'S' ? kS : chKind == 'L' ? kL : kK; }

DWORD ReadDword(const BYTE* p)
{
    DWORD n;
    memcpy(&n, p, sizeof n);
    return n;
}

// "MR.OLD", or "MR.OLD" and a number: the names a folder aside is given.
BOOL IsAsideName(const char* pszName)
{
    const int n = sizeof kAsideFolder - 1;
    if (!AfxSameTextNoCase(pszName, kAsideFolder, n))
        return FALSE;
    for (pszName += n; *pszName; ++pszName) {
        if (*pszName < '0' || *pszName > '9')
            return FALSE;
    }
    return TRUE;
}

// The names a run gives the files it makes and sets aside in a site: the payload's,
// and what the removal of an installation takes ("Merolin.*" and the uninstaller).
BOOL IsProductFileName(const char* pszName)
{
    for (int i = 0; i < kPayloadFileCount; ++i) {
        if (SameText(pszName, kPayloadTable[i].pszFileName))
            return TRUE;
    }
    return AfxSameTextNoCase(pszName, kProgramFilesPattern, sizeof(kProgramFilesPattern) - 2) ||
           SameText(pszName, kUninstallerFile);
}

} // namespace

CJournal::CJournal(const CScope& scope, JournalNote pfnNote)
    : m_scope(scope), m_pfnNote(pfnNote), m_pData(NULL), m_nSize(0), m_nCapacity(0), m_nOnDisk(0),
      m_hFile(INVALID_HANDLE_VALUE), m_bLoaded(FALSE), m_nPlaces(0), m_bOwnersKnown(FALSE)
{
}

CString CJournal::FilePath() const
{
    return m_strFile.IsEmpty() ? m_scope.JournalFolder(0) + "\\" + kRecordFileName : m_strFile;
}

void CJournal::Append(const void* p, DWORD n)
{
    if (m_nSize + n > m_nCapacity) {
        const DWORD nCapacity = (m_nSize + n) * 2;
        BYTE* pData = new BYTE[nCapacity];
        if (m_nSize)
            memcpy(pData, m_pData, m_nSize);
        delete[] m_pData;
        m_pData = pData;
        m_nCapacity = nCapacity;
    }
    if (n)
        memcpy(m_pData + m_nSize, p, n);
    m_nSize += n;
}

void CJournal::Add(char chKind, int nPlace, const char* pszName, const void* pData, DWORD nData)
{
    const DWORD nName = ::lstrlenA(pszName) + 1;
    const DWORD nBody = nName + nData;
    const BYTE head[kEntryHead] = { (BYTE)chKind, (BYTE)nPlace, (BYTE)nBody, (BYTE)(nBody >> 8), (BYTE)(nBody >> 16),
                                    (BYTE)(nBody >> 24) };
    Append(head, kEntryHead);
    Append(pszName, nName);
    Append(pData, nData);
}

BOOL CJournal::Next(DWORD* pnAt, Entry* pEntry) const { return NextIn(m_pData, m_nSize, pnAt, pEntry); }

BOOL CJournal::NextIn(const BYTE* pData, DWORD nSize, DWORD* pnAt, Entry* pEntry)
{
    const DWORD nAt = *pnAt < kHeaderSize ? kHeaderSize : *pnAt;
    if (nAt >= nSize || nSize - nAt < kEntryHead)
        return FALSE;
    const BYTE* p = pData + nAt;
    const DWORD nBody = ReadDword(p + 2);
    const char* pszName = (const char*)p + kEntryHead;
    DWORD nName = 0;  // the name and its NUL, within the body
    if (nBody > nSize - nAt - kEntryHead)
        return FALSE;
    while (nName < nBody && pszName[nName])
        ++nName;
    if (nName++ == nBody)
        return FALSE;
    pEntry->chKind = (char)p[0];
    pEntry->nPlace = p[1];
    pEntry->pszName = pszName;
    pEntry->pData = (const BYTE*)pszName + nName;
    pEntry->nData = nBody - nName;
    *pnAt = nAt + kEntryHead + nBody;
    return TRUE;
}

BOOL CJournal::Has(const char* pszKinds, int nPlace, const char* pszName) const
{
    Entry entry;
    for (DWORD nAt = 0; Next(&nAt, &entry);) {
        if (entry.chKind && ::strchr(pszKinds, entry.chKind) && entry.nPlace == nPlace && SameText(entry.pszName, pszName))
            return TRUE;
    }
    return FALSE;
}

BOOL CJournal::Start()
{
    Close(FALSE);
    Append(kHeader, kHeaderSize);  // on the disk with the first step's entries
    // The folder is made by this run, or it is one that only administrators can have
    // written; a folder that someone else made first at the first place is passed over.
    for (int i = 0; i < m_scope.JournalFolders(); ++i) {
        MakeOwnFolder(m_scope.JournalFolder(i), m_scope.OwnRights());
        if (EnterJournalFolder(i) == kNoPlace)
            continue;
        // The file is made anew, never taken over.
        m_strFile = PathOf(0, kRecordFileName);
        RemoveFile(m_strFile);
        m_hFile = sys::CreateFileA(m_strFile, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (m_hFile != INVALID_HANDLE_VALUE)
            return TRUE;
        break;
    }
    const CString strFile = FilePath();
    Close(FALSE);
    m_strFile = strFile;
    return FALSE;
}

BOOL CJournal::Flush()
{
    // What is on the disk already needs no second flush.
    const DWORD nNew = m_nSize - m_nOnDisk;
    DWORD nWritten;
    if (!nNew)
        return TRUE;
    if (sys::SetFilePointer(m_hFile, m_nOnDisk, NULL, FILE_BEGIN) != m_nOnDisk ||
        !sys::WriteFile(m_hFile, m_pData + m_nOnDisk, nNew, &nWritten, NULL) || nWritten != nNew ||
        !sys::FlushFileBuffers(m_hFile))
        return FALSE;
    m_nOnDisk = m_nSize;
    return TRUE;
}

BOOL CJournal::Complete()
{
    const DWORD nBefore = m_nSize;
    Add('C', 0, "");
    if (Flush())
        return TRUE;
    m_nSize = nBefore;
    return FALSE;
}

CJournal::Loaded CJournal::Load(int nFolder)
{
    Close(FALSE);
    m_bLoaded = TRUE;
    if (EnterJournalFolder(nFolder) == kNoPlace)
        return kNone;
    // Not a link, nor a file that has another name elsewhere, in a folder of the
    // installer's own.
    m_strFile = PathOf(0, kRecordFileName);
    CFileHandle file(OpenInPlace(m_strFile, GENERIC_READ, 0));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsOpen())
        return kNone;
    if (!sys::GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        info.nNumberOfLinks != 1) {
        Note(kLogNotOwnPlace, m_strFile);
        return kNone;
    }
    const DWORD nSize = info.nFileSizeHigh ? kLargestJournal + 1 : info.nFileSizeLow;
    if (nSize > kLargestJournal) {
        Note(kLogRecordUnknown, m_strFile);
        return kUnknownFormat;
    }
    CHeapArray<BYTE> pFile(new BYTE[nSize + 1]);
    DWORD nRead = 0;
    const BOOL bRead = sys::ReadFile(file, pFile, nSize, &nRead, NULL) && nRead == nSize;
    file.Close();  // before the file may go
    if (!bRead)
        return kNone;
    if (memcmp(pFile, kHeader, nSize < kHeaderSize ? nSize : kHeaderSize) != 0) {
        Note(kLogRecordUnknown, m_strFile);
        return kUnknownFormat;
    }
    // A run cut short before its first entry was whole had changed nothing.
    Append(kHeader, kHeaderSize);
    if (nSize > kHeaderSize)
        Note(kLogRecordFound, m_strFile);
    if (!Replay(pFile, nSize)) {
        Close(TRUE);
        return kNone;
    }
    return kLoaded;
}

// The entries of the file after its header, as far as they are whole: each place
// entered again, each other entry kept (Take). FALSE when the first entry is not this
// journal's folder.
BOOL CJournal::Replay(const BYTE* pFile, DWORD nFile)
{
    Entry entry;
    DWORD nAt = 0;
    if (!NextIn(pFile, nFile, &nAt, &entry) || entry.chKind != 'F' || !entry.nData ||
        entry.pData[0] != m_apPlaces[0]->nWhich || !SameText(entry.pszName, PlacePath(0)))
        return FALSE;
    while (NextIn(pFile, nFile, &nAt, &entry) && Take(entry)) {
    }
    return TRUE;
}

BOOL CJournal::Take(const Entry& entry)
{
    if (entry.chKind == 'F' || entry.chKind == 'S' || entry.chKind == 'L' || entry.chKind == 'K')
        return Reenter(entry.chKind, entry.nData ? entry.pData[0] : 0, entry.pszName,
                       entry.nData > 1 ? entry.pData[1] : 0);
    const KindRule* pRule = kKinds;
    while (pRule < kKinds + ARRAYSIZE(kKinds) && pRule->chKind != entry.chKind)
        ++pRule;
    if (pRule == kKinds + ARRAYSIZE(kKinds) || entry.nPlace >= m_nPlaces ||
        !(pRule->nPlaces & PlaceBit(m_apPlaces[entry.nPlace]->chKind)))
        return FALSE;
    Place& place = *m_apPlaces[entry.nPlace];
    if (!place.bHeld)
        return TRUE;  // not the run's (said when it was entered), or not there: nothing of it to undo
    const char* pszName = entry.pszName;
    const BOOL bName = pRule->chName == '*' ||
                       (pRule->chName == 'a' ? IsAsideName(pszName)
                                             : IsBareName(pszName) && (place.chKind == 'F'   ? SameText(pszName, kInstallerCopyName)
                                                                       : place.chKind == 'S' ? IsProductFileName(pszName)
                                                                                             : IsProductLinkName(pszName)));
    if (!bName) {
        Note(kLogRecordForeign, PathOf(entry.nPlace, pszName));
        return TRUE;
    }
    if (entry.chKind == 'A')
        place.strAside = pszName;
    place.bUndone |= entry.chKind == 'U';
    Add(entry.chKind, entry.nPlace, pszName, entry.pData, entry.nData);
    return TRUE;
}

void CJournal::Close(BOOL bDelete)
{
    // The file goes while its folder is still held.
    if (m_hFile != INVALID_HANDLE_VALUE)
        sys::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (bDelete && !m_strFile.IsEmpty())
        RemoveFile(m_strFile);
    while (m_nPlaces)
        delete m_apPlaces[--m_nPlaces];
    delete[] m_pData;
    m_pData = NULL;
    m_nSize = m_nCapacity = m_nOnDisk = 0;
    m_bLoaded = m_bOwnersKnown = FALSE;
}

} // namespace ops
