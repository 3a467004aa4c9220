// The run's record settled: by the run itself when it ends, or by the next run when
// it was cut short. A completed run's files set aside are deleted; any other run's
// changes are undone, what it made first, then what it set aside put back. Either
// way twice is as good as once, so a settling cut short is simply done again.
#pragma once
#include "record_file.h"

enum SettleResult {
    kSettled,      // done, the record gone
    kUnsettled,    // something of an unfinished run could not be undone: the record stays
    kRefused,      // the record names a place that is not the run's own: nothing applied
};
// With hOwner, each directory the run made that stays (something else is in it) is
// said in a "NOTE" box that it owns, as Cancel does.
SettleResult SettleRecord(ops::CRecordFile& record, HWND hOwner = NULL, BOOL bReport = FALSE);
// What the run made in the site goes, what it set aside there comes back; then the
// directories it made go, except those that hold pszKeep: a completed run's earlier
// attempts elsewhere leave nothing behind.
void UndoSite(const ops::CRecordFile& record, const char* pszSite, const char* pszKeep);
// Settles what an earlier run of the scope left (never another scope's): FALSE when a record of the installer's own is of
// a format it does not know, or could not be settled (it stays for the next run). A
// record elsewhere, or one that names places not its own, is logged and passed over.
BOOL RepairInterruptedRun(const ops::CScope& scope);
