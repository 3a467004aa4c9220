#include "settle.h"
#include "install_log.h"

void LogNote(const char* pszFormat, const char* pszText) { g_installLog.Write(pszFormat, pszText); }

BOOL RepairInterruptedRun(const ops::CScope& scope)
{
    for (int nFolder = 0; nFolder < scope.JournalFolders(); ++nFolder) {
        ops::CJournal journal(scope, LogNote);
        const ops::CJournal::Loaded loaded = journal.Load(nFolder);
        if (loaded == ops::CJournal::kUnknownFormat || (loaded == ops::CJournal::kLoaded && !journal.Settle()))
            return FALSE;
    }
    return TRUE;
}
