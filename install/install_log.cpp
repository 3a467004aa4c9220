#include "install_log.h"

CInstallLog g_installLog;

void CInstallLog::Open(const char* pszFile)
{
    char szPath[MAX_PATH];
    const DWORD nPath = sys::GetFullPathNameA(pszFile, MAX_PATH, szPath, NULL);
    if (nPath == 0 || nPath >= MAX_PATH)
        return;
    // A device name comes back as "\\.\NAME"; it is never opened (a port may block).
    if (szPath[0] == '\\' && szPath[1] == '\\' && szPath[2] == '.')
        return;
    // Shared for writing too, so that another run given the same file (one that ends
    // with 1618) adds its lines; for appending only, so that each line lands at the end
    // whole, whatever the other writes. Windows 9x knows no such access: it writes.
    // Never shared for deletion: the file cannot go or be replaced while it is open.
    m_file.Attach(sys::CreateFileA(szPath, (::GetVersion() & 0x80000000) ? GENERIC_WRITE : FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL));
    if (m_file.IsOpen() && sys::GetFileType(m_file) != FILE_TYPE_DISK)
        m_file.Close();
}

void CInstallLog::Write(const char* pszFormat, const char* pszValue)
{
    CString strLine;
    strLine.Format(pszFormat, pszValue);
    Write(strLine);
}

void CInstallLog::Write(const CString& strText)
{
    if (!m_file.IsOpen())
        return;
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    CString strLine;
    strLine.Format("%04u-%02u-%02u %02u:%02u:%02u %s", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                   st.wSecond, (const char*)strText);
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
