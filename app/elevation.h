// Administrator rights, asked for only where they are needed. A run for the machine
// needs them; a run for the user (/CURRENTUSER) never asks. The exe asks Windows for
// nothing when it starts (asInvoker): a run for the machine without the rights starts
// the installer again through the system's elevation prompt ("runas"), with the same
// arguments behind kRelaunchSwitch, waits for it and ends with its exit code. A run
// that has them (an administrator's, SYSTEM under a deployment tool) goes on at once.
// Before Vista there is no prompt: a run without them ends at once (ops::RightsOfProcess).
#pragma once
#include "afx.h"
#include "outcome.h"

// Runs the installer again, elevated, with these arguments (the command line after
// the program's name), and waits for it: TRUE, *pOutcome its exit code, once it ran;
// FALSE when it did not start, *pOutcome kOutcomeUserEnded when the prompt was
// declined, else kOutcomeNoRights. bSilent: the system shows no box of its own for a
// failure.
BOOL RunElevated(const char* pszArguments, BOOL bSilent, RunOutcome* pOutcome);
