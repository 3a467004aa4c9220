#include "install_log.h"
#include "file_owner.h"

CInstallLog g_installLog;

BOOL CInstallLog::Open(const char* pszFile)
{
    char szPath[MAX_PATH];
    const DWORD nPath = sys::GetFullPathNameA(pszFile, MAX_PATH, szPath, NULL);
    if (nPath == 0 || nPath >= MAX_PATH)
        return TRUE;
    // A device name comes back as "\\.\NAME"; it is never opened (a port may block).
    if (szPath[0] == '\\' && szPath[1] == '\\' && szPath[2] == '.')
        return TRUE;
    // Shared for writing too, so that another run given the same file (one that ends
    // with 1618) adds its lines; for appending only, so that each line lands at the end
    // whole, whatever the other writes. Windows 9x knows no such access: it writes.
    // Never shared for deletion: the file cannot go or be replaced while it is open.
    // A link at the name is opened itself, never what it leads to; its owner is read
    // through the handle.
    const BOOL b9x = AfxIsWindows9x();
    m_file.Attach(sys::CreateFileA(szPath, b9x ? GENERIC_WRITE : FILE_APPEND_DATA | READ_CONTROL,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | AfxOpenReparsePoint(), NULL));
    const BOOL bMadeNow = ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!m_file.IsOpen())
        return TRUE;
    if (sys::GetFileType(m_file) != FILE_TYPE_DISK) {
        m_file.Close();
        return TRUE;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (sys::GetFileInformationByHandle(m_file, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        info.nNumberOfLinks <= 1 && (bMadeNow || ops::IsOwnedByThisRun(m_file)))
        return TRUE;
    m_file.Close();
    return FALSE;
}

void CInstallLog::Write(const char* pszFormat, const char* pszValue)
{
    CString strLine;
    strLine.Format(pszFormat, pszValue);
    Write(strLine);
}

void CInstallLog::Write(const char* pszText)
{
    if (!m_file.IsOpen())
        return;
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    CString strLine;
    strLine.Format("%04u-%02u-%02u %02u:%02u:%02u %s", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                   st.wSecond, pszText);
    // One line: each run of line breaks in the text becomes one space.
    char* pszLine = strLine.GetBuffer(strLine.GetLength() + 2);
    char* pOut = pszLine;
    for (const char* p = pszLine; *p; ++p) {
        if (*p != '\r' && *p != '\n')
            *pOut++ = *p;
        else if (p[1] != '\r' && p[1] != '\n')
            *pOut++ = ' ';
    }
    *pOut++ = '\r';
    *pOut++ = '\n';
    // Each line goes to the end of the file at once, whatever was appended meanwhile.
    if (sys::SetFilePointer(m_file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER) {
        DWORD nWritten;
        sys::WriteFile(m_file, pszLine, (DWORD)(pOut - pszLine), &nWritten, NULL);
    }
}
