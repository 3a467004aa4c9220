#include "install_log.h"
#include <stdio.h>

CInstallLog g_installLog;

void CInstallLog::Open(const char* pszFile)
{
    char szPath[MAX_PATH];
    const DWORD nPath = ::GetFullPathNameA(pszFile, MAX_PATH, szPath, NULL);
    m_strPath = nPath > 0 && nPath < MAX_PATH ? szPath : pszFile;
}

void CInstallLog::Write(const CString& strText)
{
    if (m_strPath.IsEmpty())
        return;
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    CString strLine;
    strLine.Format("%04u-%02u-%02u %02u:%02u:%02u ", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    BOOL bBreak = FALSE;
    for (const char* p = strText; *p; ++p) {
        if (*p == '\r' || *p == '\n') {
            bBreak = TRUE;
            continue;
        }
        if (bBreak)
            strLine += ' ';
        bBreak = FALSE;
        strLine += *p;
    }
    strLine += "\r\n";
    // Opened for each line, so that every line is on the disk when the process ends
    // wherever it ends; the outcome is not needed.
    if (FILE* pFile = fopen(m_strPath, "ab")) {
        fwrite((const char*)strLine, 1, strLine.GetLength(), pFile);
        fclose(pFile);
    }
}
