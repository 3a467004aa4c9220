#include "record_file.h"
#include "shell_folders.h"
#include <string.h>

namespace ops {
namespace {

// "MRR" and the format's version; a record of any other start is not this run's to read.
const char kHeader[] = "MRR\x01";
const DWORD kHeaderSize = sizeof kHeader - 1;
// Larger than any record a run writes: a link is a few KB, the product's keys fewer.
const DWORD kLargestRecord = 1u << 22;

DWORD ReadDword(const BYTE* p)
{
    DWORD n;
    memcpy(&n, p, sizeof n);
    return n;
}

} // namespace

CString CRecordFile::Path()
{
    CString strFolder;
    if (!ShellFolderPath(CSIDL_COMMON_APPDATA, strFolder)) {
        char szWindows[MAX_PATH];
        szWindows[0] = '\0';
        sys::GetWindowsDirectoryA(szWindows, MAX_PATH);
        strFolder = szWindows;
    }
    return strFolder + "\\" + kRecordFileName;
}

BOOL CRecordFile::Create()
{
    m_strPath = Path();
    Close(TRUE);
    // Made anew, never taken over: a file someone else put there first stays theirs
    // and the run does not start; the new one has the folder's administrators-only
    // rights.
    CFileHandle file(sys::CreateFileA(m_strPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsOpen())
        return FALSE;
    file.Close();
    Append(kHeader, kHeaderSize);  // on the disk with the first step's entries
    return TRUE;
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
    m_strPath = Path();
    CFileHandle file(
        sys::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.IsOpen() || !sys::GetFileInformationByHandle(file, &info))
        return kNone;
    const DWORD nSize = info.nFileSizeLow;
    if (info.nFileSizeHigh || nSize > kLargestRecord)
        return kUnknownFormat;
    BYTE* pData = new BYTE[nSize + 1];
    DWORD nRead = 0;
    const BOOL bRead = sys::ReadFile(file, pData, nSize, &nRead, NULL) && nRead == nSize;
    file.Close();
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

void CRecordFile::Add(char chKind, const char* pszText, const void* pData, DWORD nData)
{
    const DWORD nText = ::lstrlenA(pszText) + 1;
    Append(&chKind, 1);
    Append(&nText, sizeof nText);
    Append(pszText, nText);
    Append(&nData, sizeof nData);
    Append(pData, nData);
}

void CRecordFile::Close(BOOL bDelete)
{
    m_nSize = m_nOnDisk = 0;
    if (bDelete)
        sys::remove(m_strPath);
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

BOOL CRecordFile::Has(char chKind, const char* pszText) const
{
    Entry entry;
    for (DWORD nAt = 0; Next(&nAt, &entry);) {
        const int n = ::lstrlenA(pszText);
        if (entry.chKind == chKind && ::lstrlenA(entry.pszText) == n && AfxSameTextNoCase(entry.pszText, pszText, n))
            return TRUE;
    }
    return FALSE;
}

} // namespace ops
