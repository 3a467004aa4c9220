// The traces of an earlier installation (its three registry keys, its directory
// and its program group): found, and set aside for this run's removal.
#pragma once
#include "journal.h"

namespace ops {

// TRUE when any trace is found in the scope. A readable "Path" of the application-path key
// replaces strInstallDir (and sets *pbPathRead), and that directory is the one
// probed; strGroupDir is the program group.
BOOL DetectPreviousInstall(const CScope& scope, CString& strInstallDir, const CString& strGroupDir, BOOL* pbPathRead);
// Removes an installation, setting aside what it removes: the product's program
// files in strInstallDir ("Merolin.*", the uninstaller) and the files of pMoreFiles
// there (named without the directory; moved aside), the links of the shortcut-table
// rows in nLinkRows (bit 1 << row) in the scope's link folders (kept in the journal),
// then the three keys (kept in the journal with everything below them). Everything is
// on the journal and the disk before the first thing goes; FALSE, nothing removed,
// when something cannot be kept or the directory is not one the run may use. A file
// that another program holds stays where it is; with pStayed, its path is added there,
// and then the links and the keys stay too.
BOOL SetPreviousInstallAside(CJournal& journal, const CString& strInstallDir, UINT nLinkRows = kGroupShortcutRows,
                             const CStringArray* pMoreFiles = NULL, CStringArray* pStayed = NULL);

} // namespace ops
