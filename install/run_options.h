// CRunOptions: what this run is asked to do, read once from the command line by
// app/ and handed down to everything that runs it. Nothing below app/ decides any
// of it again, and nothing reads it from anywhere else.
#pragma once
#include "afx.h"

class CRunOptions {
public:
    CRunOptions() : m_bSilent(FALSE), m_bAllUsers(FALSE), m_bRemove(FALSE), m_bCurrentUser(FALSE), m_bNoDesktop(FALSE),
                    m_bRelaunched(FALSE) {}

    BOOL m_bSilent;          // no window of any kind; each box is answered by its kind
    BOOL m_bAllUsers;        // the links go to all users' folders, else to the user's
    BOOL m_bRemove;          // remove the installation the scope names instead of installing
    BOOL m_bCurrentUser;     // install for the user who runs it, not for the machine (ops::CScope)
    BOOL m_bNoDesktop;       // no desktop link, now and (kept with the installation) at later upgrades
    BOOL m_bRelaunched;      // started again for administrator rights (kRelaunchSwitch): never asks again
    CString m_strTargetDir;  // install there; empty: the directory the installer proposes
    CString m_strLogFile;    // append a log to that file; empty: no log
};
