// CCommandLine: the switches of an unattended installation, read from the arguments
// of the command line (the program's own name already taken off). Switches are
// case-insensitive:
//   /S             silent: no window of any kind
//   /LOG=file      append a log to the file (the name may stand in double quotes)
//   /D=directory   the target directory: the last argument, taking the rest of the
//                  line, spaces included, without quotes; an absolute path on a
//                  drive that the installer would take if it were typed
//   /?             the usage
// Anything else makes the command line bad.
#pragma once
#include "afx.h"

class CCommandLine {
public:
    CCommandLine() : m_bSilent(FALSE), m_bUsage(FALSE), m_bBad(FALSE) {}
    void Parse(const char* pszArguments);
    // The usage, in a box.
    static void ShowUsage();

    BOOL m_bSilent;
    BOOL m_bUsage;
    BOOL m_bBad;
    CString m_strLogFile;    // empty: no log
    CString m_strTargetDir;  // empty: the directory the installer proposes
};
