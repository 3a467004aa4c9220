// CInstallLog: the log that an administrator asks for on the command line. One line
// for each stage, box and answer and for the exit code, each after the local time;
// appended in the system's ANSI code page with CRLF line ends. A log that cannot be
// opened or written is passed over: it never stops or changes the installation.
#pragma once
#include "manifest.h"

class CInstallLog {
public:
    CInstallLog() {}
    // Appends to that file from now on. Its full path is taken once, here: the
    // install moves the current directory. Only a file on a disk is a log: a device
    // ("COM1", "NUL"), a directory or a name that cannot be opened gives none. The
    // file stays open until the process ends, shared for reading and for another run's
    // appending, never for deletion: it can neither be deleted nor replaced while
    // the run writes it. FALSE, and no log, for a name this run must not write to:
    // a link, a file with another name elsewhere (a hard link), or one that somebody
    // else made (its owner neither Administrators, SYSTEM nor this process's user): a
    // user could lead an administrator's lines into a file of his choosing, or read them.
    BOOL Open(const char* pszFile);
    BOOL IsOpen() const { return m_file.IsOpen(); }
    // One line: the time, then the text with each run of line breaks folded into a space.
    // A text, not a CString: a literal is written with no string made of it first.
    void Write(const char* pszText);
    // One line of a format with one text field (a path, a key).
    void Write(const char* pszFormat, const char* pszValue);

private:
    CFileHandle m_file;  // none: no log
    CInstallLog(const CInstallLog&);
    CInstallLog& operator=(const CInstallLog&);
};

extern CInstallLog g_installLog;
