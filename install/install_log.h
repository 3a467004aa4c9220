// CInstallLog: the log that an administrator asks for on the command line. One line
// for each stage, box and answer and for the exit code, each after the local time;
// appended in the system's ANSI code page with CRLF line ends. A log that cannot be
// opened or written is passed over: it never stops or changes the installation.
#pragma once
#include "manifest.h"

class CInstallLog {
public:
    // Appends to that file from now on. Its full path is taken at once: the install
    // moves the current directory.
    void Open(const char* pszFile);
    // One line: the time, then the text with each run of line breaks folded into a space.
    void Write(const CString& strText);

private:
    CString m_strPath;  // empty: no log
};

extern CInstallLog g_installLog;
