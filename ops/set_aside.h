// What a run removes or replaces of an installation is set aside, not deleted,
// until the run has completed: files are moved into a folder aside in their own
// directory (the same volume, so contents, times and attributes stay as they are);
// links and registry keys are kept in the run's record. Each can be put back or,
// once the run has completed, dropped.
#pragma once
#include "record_file.h"

namespace ops {

// Where pszFile goes aside: its directory's kAsideFolder, under the same name.
CString AsidePath(const char* pszFile);
// Moves the file aside, retrying briefly while another program holds it; FALSE when
// it stays where it is.
BOOL MoveAside(const char* pszFile);
// Puts a file that was set aside back in its place, replacing whatever stands there
// now: kPutBack, kNothingAside (it never went, or it is back already) or kNotPutBack.
enum PutBackResult { kNotPutBack, kPutBack, kNothingAside };
PutBackResult PutBack(const char* pszFile);
// Deletes the file set aside; TRUE when it is gone.
BOOL DropAside(const char* pszFile);

// Keeps the link in the record (attributes, times and bytes); FALSE when it cannot
// be read whole.
BOOL KeepLink(CRecordFile& record, const char* pszLink);
// Writes a kept link back as it was; FALSE when it cannot.
BOOL RestoreLink(const CRecordFile::Entry& entry);

// Keeps the key below HKEY_LOCAL_MACHINE, with its values and everything below it,
// in the record; TRUE, keeping nothing, when the key is not there; FALSE when a
// part of it cannot be read.
BOOL KeepKeyTree(CRecordFile& record, const CString& strKey);
// Sets a kept value (a kKeptValue entry) in the key; FALSE when it cannot.
BOOL RestoreValue(HKEY hKey, const CRecordFile::Entry& entry);

} // namespace ops
