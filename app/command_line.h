// CCommandLine: the switches of an unattended installation, read from the arguments
// of the command line (the program's own name already taken off). Switches are
// case-insensitive:
//   /S             silent: no window of any kind
//   /LOG=file      append a log to the file (the name may stand in double quotes)
//   /D=directory   the target directory: the last argument, taking the rest of the
//                  line, spaces included, without quotes; an absolute path on a
//                  drive that the installer would take if it were typed
//   /CURRENTUSER   install (or remove) for the user who runs it, not for the machine
//   /NODESKTOP     no desktop link
//   /REMOVE        remove the installation instead (not with /D=)
//   /?             the usage
// Anything else makes the command line bad. What the switches ask for becomes the
// run's options; whose folders get the links is decided here too.
#pragma once
#include "run_options.h"

class CCommandLine {
public:
    CCommandLine() : m_bUsage(FALSE), m_bBad(FALSE) {}
    void Parse(const char* pszArguments);
    // The usage, in a box.
    static void ShowUsage();

    CRunOptions m_options;
    BOOL m_bUsage;
    BOOL m_bBad;

private:
    void ParseTargetDir(const char* pSwitch, BOOL bQuoted);
    void ParseWord(const char* pWord, int nWord);
};
