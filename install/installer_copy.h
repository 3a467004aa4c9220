// The copy of the installer that an installation keeps, beside the run's journal in the
// installer's own folder of its scope (never in the target directory, which a standard
// user may be able to write): what the uninstall entry's QuietUninstallString runs, so
// that the system and deployment tools can remove the product silently.
#pragma once
#include "journal.h"

// Where the installation's copy is: in the journal's folder.
CString InstallerCopyPath(const ops::CJournal& journal);
// Whether this process runs from that file.
BOOL IsRunningCopy(const char* pszCopy);
// Records the copy as new, or one that is there as set aside (and moves it aside), then
// writes the running installer there (a copy that is this installer already, a run of
// the copy itself or a repair by the same exe, is the caller's to leave as it is: see
// ops::IsRunningImageCopy). FALSE when it cannot be recorded or written.
BOOL KeepInstallerCopy(ops::CJournal& journal, const CString& strCopy);
// Sets a copy that is there aside for a removal, recorded first; TRUE when there is none
// or it went aside. The copy a removal runs from is left, to go at the next restart.
BOOL SetInstallerCopyAside(ops::CJournal& journal, const CString& strCopy);
// A copy whose installation is gone (the removal ran from it) is deleted, in each of the
// scope's journal folders that is the installer's own, unless this process runs from it.
void RemoveLeftoverCopies(const ops::CScope& scope);
