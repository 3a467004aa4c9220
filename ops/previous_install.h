// The traces of an earlier installation (its three registry keys, its directory
// and its program group): found, and set aside for this run's removal.
#pragma once
#include "record_file.h"

namespace ops {

// TRUE when any trace is found. A readable "Path" of the application-path key
// replaces strInstallDir (and sets *pbPathRead), and that directory is the one
// probed; strGroupDir is the program group.
BOOL DetectPreviousInstall(CString& strInstallDir, const CString& strGroupDir, BOOL* pbPathRead);
// Removes the previous installation, setting aside what it removes: the three keys
// (kept in the record with everything below them), the product's program files in
// strInstallDir (moved aside) and the program group's links (kept in the record).
// Everything is recorded and flushed before the first thing goes; FALSE, nothing
// removed, when something cannot be kept.
BOOL SetPreviousInstallAside(CRecordFile& record, const CString& strInstallDir, const CString& strGroupDir);

} // namespace ops
