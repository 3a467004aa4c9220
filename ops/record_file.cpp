#include "record_file.h"
#include "own_folder.h"
#include "path.h"
#include <string.h>

namespace ops {
namespace {

// "MRR" and the format's version; a record of any other start is not this run's to read.
const char kHeader[] = "MRR\x02";
const DWORD kHeaderSize = sizeof kHeader - 1;
// Larger than any record a run writes: a link is a few KB, the product's keys fewer.
const DWORD kLargestRecord = 1u << 22;

DWORD ReadDword(const BYTE* p)
{
    DWORD n;
    memcpy(&n, p, sizeof n);
    return n;
}

// Deletes a record file, read-only or not.
void DeleteRecordFile(const char* pszPath)
{
    sys::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    sys::remove(pszPath);
}

// The case-blind hash of an entry's kind and text.
DWORD EntryHash(char chKind, const char* pszText)
{
    DWORD h = 2166136261u ^ (BYTE)chKind;
    for (; *pszText; ++pszText)
        h = (h ^ (BYTE)AfxFoldAscii(*pszText)) * 16777619u;
    return h;
}

} // namespace

CString CRecordFile::Path(const CScope& scope) { return scope.RecordFolder(0) + "\\" + kRecordFileName; }

BOOL CRecordFile::Create()
{
    Close(TRUE);
    // The folder is made by this run, or it is one that only administrators can have
    // written; a folder that someone else made first at the first place is passed over.
    for (int i = 0; i < m_scope.RecordPlaces(); ++i) {
        const CString strFolder = m_scope.RecordFolder(i);
        MakeOwnFolder(strFolder, m_scope.OwnRights());
        if (!IsTrustedFolder(strFolder)) {
            m_strRefused = strFolder;
            continue;
        }
        // The file is made anew, never taken over.
        m_strPath = strFolder + "\\" + kRecordFileName;
        DeleteRecordFile(m_strPath);
        CFileHandle file(sys::CreateFileA(m_strPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, NULL));
        if (!file.IsOpen())
            return FALSE;
        Append(kHeader, kHeaderSize);  // on the disk with the first step's entries
        return TRUE;
    }
    return FALSE;
}

BOOL CRecordFile::Flush()
{
    // The file ends where the last flush left it, unless it went meanwhile: then it
    // is written whole again.
    CFileHandle file(sys::CreateFileA(m_strPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, NULL));
    if (file.IsOpen() && sys::SetFilePointer(file, 0, NULL, FILE_END) != m_nOnDisk) {
        file.Close();
        file.Attach(sys::CreateFileA(m_strPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, NULL));
        m_nOnDisk = 0;
    }
    const DWORD nNew = m_nSize - m_nOnDisk;
    DWORD nWritten;
    if (!file.IsOpen() || !sys::WriteFile(file, m_pData + m_nOnDisk, nNew, &nWritten, NULL) || nWritten != nNew ||
        !sys::FlushFileBuffers(file))
        return FALSE;
    m_nOnDisk = m_nSize;
    return TRUE;
}

CRecordFile::Loaded CRecordFile::Load()
{
    for (int i = 0; i < m_scope.RecordPlaces(); ++i) {
        const CString strFolder = m_scope.RecordFolder(i);
        m_strPath = strFolder + "\\" + kRecordFileName;
        if (sys::GetFileAttributesA(strFolder) == INVALID_FILE_ATTRIBUTES)
            continue;
        // Not a link, nor a file that has another name elsewhere, in a folder of the
        // installer's own.
        CFileHandle file(sys::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT, NULL));
        BY_HANDLE_FILE_INFORMATION info;
        if (!file.IsOpen())
            continue;
        if (!IsTrustedFolder(strFolder) || !sys::GetFileInformationByHandle(file, &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks != 1) {
            m_strRefused = m_strPath;
            continue;
        }
        return Read(file, info.nFileSizeHigh ? kLargestRecord + 1 : info.nFileSizeLow);
    }
    return kNone;
}

CRecordFile::Loaded CRecordFile::Read(HANDLE hFile, DWORD nSize)
{
    if (nSize > kLargestRecord)
        return kUnknownFormat;
    BYTE* pData = new BYTE[nSize + 1];
    DWORD nRead = 0;
    const BOOL bRead = sys::ReadFile(hFile, pData, nSize, &nRead, NULL) && nRead == nSize;
    delete[] m_pData;
    m_pData = pData;
    m_nSize = m_nCapacity = m_nOnDisk = nSize;
    if (!bRead) {
        m_nSize = 0;
        return kNone;
    }
    // A run cut short before its header was whole had changed nothing.
    if (memcmp(pData, kHeader, nSize < kHeaderSize ? nSize : kHeaderSize) != 0)
        return kUnknownFormat;
    if (nSize < kHeaderSize) {
        Close(TRUE);
        return kNone;
    }
    Reindex();
    m_bLoaded = TRUE;
    return kLoaded;
}

void CRecordFile::Append(const void* p, DWORD n)
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

void CRecordFile::Reindex()
{
    m_nIndexed = 0;
    if (m_pIndex)
        memset(m_pIndex, 0, m_nIndexSize * sizeof *m_pIndex);
    Entry entry;
    for (DWORD nAt = 0, nEntry = kHeaderSize; Next(&nAt, &entry); nEntry = nAt)
        Index(nEntry);
}

void CRecordFile::Index(DWORD nAt)
{
    // Kept at most half full: grown (and filled anew) before it would be more.
    if (2 * (m_nIndexed + 1) > m_nIndexSize) {
        delete[] m_pIndex;
        m_nIndexSize = m_nIndexSize ? 2 * m_nIndexSize : 64;
        m_pIndex = new DWORD[m_nIndexSize]();
        m_nIndexed = 0;
        Entry entry;
        for (DWORD nNext = 0, nEntry = kHeaderSize; nEntry < nAt && Next(&nNext, &entry); nEntry = nNext)
            Index(nEntry);
    }
    const char* pszText = (const char*)m_pData + nAt + 5;
    DWORD i = EntryHash((char)m_pData[nAt], pszText);
    while (m_pIndex[i &= m_nIndexSize - 1])
        ++i;
    m_pIndex[i] = nAt;
    ++m_nIndexed;
}

void CRecordFile::Add(char chKind, const char* pszText, const void* pData, DWORD nData)
{
    const DWORD nAt = m_nSize;
    const DWORD nText = ::lstrlenA(pszText) + 1;
    Append(&chKind, 1);
    Append(&nText, sizeof nText);
    Append(pszText, nText);
    Append(&nData, sizeof nData);
    Append(pData, nData);
    Index(nAt);
}

BOOL CRecordFile::Commit(char chKind)
{
    const DWORD nBefore = m_nSize;
    Add(chKind, "");
    if (Flush())
        return TRUE;
    m_nSize = nBefore;
    Reindex();
    return FALSE;
}

void CRecordFile::Close(BOOL bDelete)
{
    m_nSize = m_nOnDisk = 0;
    Reindex();
    if (bDelete && !m_strPath.IsEmpty())
        DeleteRecordFile(m_strPath);
}

BOOL CRecordFile::Next(DWORD* pnAt, Entry* pEntry) const
{
    DWORD nAt = *pnAt < kHeaderSize ? kHeaderSize : *pnAt;
    const DWORD nLeft = m_nSize - nAt;
    if (nAt >= m_nSize || nLeft < 1 + 4)
        return FALSE;
    const BYTE* p = m_pData + nAt;
    const DWORD nText = ReadDword(p + 1);
    if (nText < 1 || nText > nLeft - 5 || nLeft - 5 - nText < 4)
        return FALSE;
    const char* pszText = (const char*)p + 5;
    const DWORD nData = ReadDword(p + 5 + nText);
    if (pszText[nText - 1] != '\0' || (DWORD)::lstrlenA(pszText) != nText - 1 || nData > nLeft - 9 - nText)
        return FALSE;
    pEntry->chKind = (char)p[0];
    pEntry->pszText = pszText;
    pEntry->pData = p + 9 + nText;
    pEntry->nData = nData;
    *pnAt = nAt + 9 + nText + nData;
    return TRUE;
}

BOOL CRecordFile::Find(char chKind, const char* pszText, Entry* pEntry) const
{
    BOOL bFound = FALSE;
    for (DWORD i = EntryHash(chKind, pszText); m_nIndexed; ++i) {
        DWORD nAt = m_pIndex[i &= m_nIndexSize - 1];
        if (!nAt)
            break;
        if (m_pData[nAt] == (BYTE)chKind && SameText((const char*)m_pData + nAt + 5, pszText) && Next(&nAt, pEntry))
            bFound = TRUE;  // a later one, further along the probe, wins
    }
    return bFound;
}

} // namespace ops
