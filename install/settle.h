// The journal of a run cut short, settled by the next run before it does anything
// else; and the run's log as what the journal tells (ops::JournalNote).
#pragma once
#include "journal.h"

// Writes one line of the log: a format with one text field, and the text.
void LogNote(const char* pszFormat, const char* pszText);
// Settles what an earlier run of the scope left (never another scope's): FALSE when a
// journal of the installer's own is of a format it does not know, or could not be
// settled (it stays for the next run). What it names that is not the run's own is
// logged and left as it is.
BOOL RepairInterruptedRun(const ops::CScope& scope);
