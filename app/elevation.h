// Administrator rights, asked for only where they are needed. A run for the machine
// needs them; a run for the user (/CURRENTUSER) never asks. The exe asks Windows for
// nothing when it starts (asInvoker): a run for the machine without the rights starts
// the installer again through the system's elevation prompt ("runas"), with the same
// arguments behind kRelaunchSwitch, waits for it and ends with its exit code. A run
// that has them (an administrator's, SYSTEM under a deployment tool) goes on at once.
#pragma once
#include "afx.h"
#include "outcome.h"

// Whether this process lacks the rights: its token says it is not elevated. Where the
// system cannot say (Windows XP and 9x know no elevation), it has them as far as the
// installer can tell, and a step that is refused says so when it comes.
BOOL LacksRights();
// Runs the installer again, elevated, with these arguments (the command line after
// the program's name), and waits for it: its exit code; kOutcomeUserEnded when the
// prompt is declined; kOutcomeNoRights (logged) when the system starts nothing.
// bSilent: the system shows no box of its own for a failure.
RunOutcome RunElevated(const char* pszArguments, BOOL bSilent);
