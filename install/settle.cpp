// The run's record settled: by the run itself when it ends, or by the next run when
// it was cut short. A completed run's files set aside are deleted; any other run's
// changes are undone, what it made first, then what it set aside put back. Either
// way twice is as good as once, so a settling cut short is simply done again.
//
// A record is a file that another program could have written: every path in it must
// name one of the product's own files, links or keys, in an absolute directory,
// before anything is done with it.
#include "install_flow.h"
#include "install_log.h"
#include "file_probe.h"
#include "registry.h"
#include "set_aside.h"

namespace {

typedef ops::CRecordFile Record;

void LogPath(const char* pszFormat, const char* pszPath) { g_installLog.Write(pszFormat, pszPath); }

// Whether [psz, pszEnd) is a full path ("X:\..." or "\\server\...") without a "."
// or ".." among its names.
BOOL IsFullPath(const char* psz, const char* pszEnd)
{
    if (pszEnd - psz < 3 || !(psz[1] == ':' ? psz[2] == '\\' : psz[0] == '\\' && psz[1] == '\\'))
        return FALSE;
    for (const char* p = psz; p < pszEnd; ++p) {
        if (*p == '\\' && p[1] == '.' && (p + 2 == pszEnd || p[2] == '\\' || (p[2] == '.' && (p + 3 == pszEnd || p[3] == '\\'))))
            return FALSE;
    }
    return TRUE;
}

BOOL SameName(const char* pszA, const char* pszB)
{
    const int n = ::lstrlenA(pszB);
    return ::lstrlenA(pszA) == n && AfxSameTextNoCase(pszA, pszB, n);
}

// The names a run of this product gives the files it makes and sets aside.
BOOL IsProductFileName(const char* pszName, BOOL bLink)
{
    for (int i = 0; i < kPayloadFileCount && !bLink; ++i) {
        if (SameName(pszName, kPayloadTable[i].pszFileName))
            return TRUE;
    }
    for (int i = 0; i < kShortcutCount && bLink; ++i) {
        const int n = ::lstrlenA(kShortcutTable[i].pszTitle);
        if (AfxSameTextNoCase(pszName, kShortcutTable[i].pszTitle, n) && SameName(pszName + n, ".lnk"))
            return TRUE;
    }
    // What the removal of a previous installation takes: "Merolin.*".
    return !bLink && AfxSameTextNoCase(pszName, kProgramFilesPattern, sizeof(kProgramFilesPattern) - 2);
}

BOOL IsProductEntry(const Record::Entry& entry)
{
    const char* psz = entry.pszText;
    const char* pszName = psz;
    for (const char* p = psz; *p; p = AfxNextChar(p)) {
        if (*p == '\\')
            pszName = p + 1;
    }
    const char* pszEnd = psz + ::lstrlenA(psz);
    switch (entry.chKind) {
    case Record::kMadeDirectory:
    case Record::kSite:
        return IsFullPath(psz, pszEnd);
    case Record::kNewFile:
        return IsFullPath(psz, pszName) &&
               (IsProductFileName(pszName, FALSE) || IsProductFileName(pszName, TRUE));
    case Record::kSetAside:
        return IsFullPath(psz, pszName) && IsProductFileName(pszName, FALSE);
    case Record::kKeptLink:
        return IsFullPath(psz, pszName) && IsProductFileName(pszName, TRUE);
    case Record::kKeptKey:
        // One of the product's keys or a key below it, as KeepKeyTree keeps them.
        for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i) {
            if (CInstallRecord::Contains(kProductKeys[i], psz))
                return TRUE;
        }
        return FALSE;
    }
    return TRUE;
}

// The next entry that names only the product's own; the others are passed over
// (with bLog, logged).
BOOL NextProductEntry(const Record& record, DWORD* pnAt, Record::Entry* pEntry, BOOL bLog)
{
    while (record.Next(pnAt, pEntry)) {
        if (IsProductEntry(*pEntry))
            return TRUE;
        if (bLog)
            LogPath(kLogRecordForeign, pEntry->pszText);
    }
    return FALSE;
}

// What an unfinished run made goes: its new files and links, its temporaries, the
// product's keys once it had begun writing them, and the directories it made.
// FALSE when a file or key of its stays.
BOOL RemoveMade(const Record& record)
{
    BOOL bAll = TRUE;
    CStringArray madeDirs;
    Record::Entry entry;
    for (DWORD nAt = 0; NextProductEntry(record, &nAt, &entry, TRUE);) {
        const char* psz = entry.pszText;
        struct _finddata_t fd;
        if (entry.chKind == Record::kNewFile) {
            // A file that was set aside first is the put-back's to replace: once put
            // back, it is the previous installation's again.
            if (record.Has(Record::kSetAside, psz))
                continue;
            sys::SetFileAttributesA(psz, FILE_ATTRIBUTE_NORMAL);
            if (sys::remove(psz) == 0)
                LogPath(kLogRemoved, psz);
            else
                bAll &= !ops::ProbePath(psz, &fd);
        } else if (entry.chKind == Record::kSite) {
            sys::remove(CString(psz) + "\\" + kTempCompressedFile);
            sys::remove(CString(psz) + "\\" + kTempExpandedFile);
        } else if (entry.chKind == Record::kMadeDirectory) {
            madeDirs.Add(psz);
        } else if (entry.chKind == Record::kRegistry) {
            // Whatever the product's keys hold now is this run's: the previous
            // installation's are in the record.
            for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i)
                bAll &= ops::DeleteKeyPath(kProductKeys[i]);
            if (entry.nData && !entry.pData[0])
                ops::DeleteKeyIfEmpty(kMakerKey);
        }
    }
    sys::_chdir("\\");  // a directory to remove may be the current one
    for (int i = madeDirs.GetSize() - 1; i >= 0; --i) {
        if (sys::_rmdir(madeDirs.GetAt(i)) == 0)
            LogPath(kLogRemoved, madeDirs.GetAt(i));
    }
    return bAll;
}

// What an unfinished run set aside comes back; FALSE when something could not.
BOOL PutBackAside(const Record& record)
{
    BOOL bAll = TRUE;
    CRegKey key;
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        const char* psz = entry.pszText;
        BOOL bBack;
        if (!IsProductEntry(entry)) {
            key.Close();  // the values after a key not the product's are not its
            continue;
        }
        if (entry.chKind == Record::kSetAside) {
            const ops::PutBackResult result = ops::PutBack(psz);
            if (result == ops::kNothingAside)
                continue;
            bBack = result == ops::kPutBack;
        } else if (entry.chKind == Record::kKeptLink) {
            bBack = ops::RestoreLink(entry);
        } else if (entry.chKind == Record::kKeptKey) {
            key.Close();
            DWORD dwDisposition;
            bBack = key.Create(HKEY_LOCAL_MACHINE, psz, kProductName, KEY_WRITE, &dwDisposition) == ERROR_SUCCESS;
        } else if (entry.chKind == Record::kKeptValue) {
            if (key)
                bAll &= ops::RestoreValue(key, entry);
            continue;
        } else {
            continue;
        }
        LogPath(bBack ? kLogPutBack : kLogNotPutBack, psz);
        bAll &= bBack;
    }
    return bAll;
}

// What a completed run set aside goes; FALSE when something stays.
BOOL DropAside(const Record& record)
{
    BOOL bAll = TRUE;
    Record::Entry entry;
    for (DWORD nAt = 0; NextProductEntry(record, &nAt, &entry, TRUE);) {
        if (entry.chKind == Record::kSetAside && !ops::DropAside(entry.pszText)) {
            LogPath(kLogNotDeleted, ops::AsidePath(entry.pszText));
            bAll = FALSE;
        }
    }
    return bAll;
}

} // namespace

BOOL CInstallFlow::Settle(ops::CRecordFile& record)
{
    BOOL bCompleted = FALSE;
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);)
        bCompleted |= entry.chKind == Record::kCompleted;
    BOOL bSettled;
    if (bCompleted) {
        bSettled = DropAside(record);
    } else {
        bSettled = RemoveMade(record);
        bSettled &= PutBackAside(record);
    }
    // A completed run's leftovers are the next run's to try again, and never keep it
    // from running; an unfinished run's are the previous installation itself.
    record.Close(bSettled);
    return bSettled || bCompleted;
}

BOOL CInstallFlow::RepairInterruptedRun()
{
    ops::CRecordFile record;
    const ops::CRecordFile::Loaded loaded = record.Load();
    if (loaded == ops::CRecordFile::kNone)
        return TRUE;
    LogPath(loaded == ops::CRecordFile::kLoaded ? kLogRecordFound : kLogRecordUnknown, ops::CRecordFile::Path());
    return loaded == ops::CRecordFile::kLoaded && Settle(record);
}
