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
    // Opened for each line, so that every line is on the disk however the process
    // ends; the outcome is not needed.
    if (FILE* pFile = fopen(m_strPath, "ab")) {
        fwrite(pszLine, 1, pOut - pszLine, pFile);
        fclose(pFile);
    }
}
