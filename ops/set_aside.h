// What a run removes or replaces of an installation is set aside, not deleted,
// until the run has completed: files are moved into a folder aside in their own
// directory (the same volume, so contents, times and attributes stay as they are);
// links and registry keys are kept in the run's record. Each can be put back or,
// once the run has completed, dropped.
#pragma once
#include "record_file.h"

namespace ops {

// Records that the file goes aside (kSetAside), into a folder aside of its directory
// that this run makes for it (kMadeAside, once per directory): "MR.OLD", else the first
// of "MR.OLD1" to "MR.OLD9" that is not there. FALSE, nothing recorded, when all are,
// or the directory is reached through a link: nothing may move. The folder is made
// by the first move into it, once the record is on the disk.
BOOL RecordSetAside(CRecordFile& record, const char* pszFile);
// Records what the run is about to write at pszFile: a file there goes aside
// (RecordSetAside, and *pbAside is TRUE: the caller moves it once the record is on the
// disk), no file there is a new one. Nothing is recorded when the record names it
// already (the run's own) or a folder stands there (nobody's file: the write fails on
// it). FALSE when a file there cannot be set aside.
BOOL RecordReplacing(CRecordFile& record, const char* pszFile, BOOL* pbAside);
// The folder aside that the record names for the directory; "" when it names none.
CString AsideFolder(const CRecordFile& record, const char* pszDir);
// Where the file goes aside, as the record says; "" when it has no folder aside.
CString AsidePath(const CRecordFile& record, const char* pszFile);
// Moves the file aside, retrying briefly while another program holds it; FALSE when
// it stays where it is.
BOOL MoveAside(const CRecordFile& record, const char* pszFile);
// Puts a file that was set aside back in its place, replacing whatever stands there
// now: kPutBack, kNothingAside (it never went, or it is back already), kLeftBehindLink
// (its directory or folder aside is reached through a link the run did not make:
// nothing moves, it is left where it is) or kNotPutBack.
enum PutBackResult { kNotPutBack, kPutBack, kNothingAside, kLeftBehindLink };
PutBackResult PutBack(const CRecordFile& record, const char* pszFile);
// Deletes the file set aside; TRUE when it is gone (or behind a link, left alone).
BOOL DropAside(const CRecordFile& record, const char* pszFile);

// Keeps the link in the record (attributes, times and bytes); FALSE when it cannot
// be read whole.
BOOL KeepLink(CRecordFile& record, const char* pszLink);
// Writes a kept link back as it was; FALSE when it cannot.
BOOL RestoreLink(const CRecordFile::Entry& entry);

// Keeps the key below the record's scope's root, with its class, its values and everything
// below it, in the record; TRUE, keeping nothing, when the key is not there; FALSE when a
// part of it cannot be read.
BOOL KeepKeyTree(CRecordFile& record, const CString& strKey);
// Opens a kept key (a kKeptKey entry) for its values, making it again as it was (its
// class too) when it is not there; FALSE when it cannot.
BOOL RestoreKey(const CScope& scope, CRegKey& key, const CRecordFile::Entry& entry);
// Sets a kept value (a kKeptValue entry) in the key; FALSE when it cannot.
BOOL RestoreValue(HKEY hKey, const CRecordFile::Entry& entry);

} // namespace ops
