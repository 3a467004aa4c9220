// A record is read only from the installer's own folder, and even then it may only
// name the places a run of this product works in, each in its one canonical form:
// the directories it installed into or removed from (its sites) and their folders
// aside, the desktops and program groups, and the product's keys. A record that
// names anything else is applied not at all.
#include "settle.h"
#include "install_log.h"
#include "file_probe.h"
#include "own_folder.h"
#include "path.h"
#include "registry.h"
#include "set_aside.h"
#include "shortcuts.h"

namespace {

typedef ops::CRecordFile Record;

void LogPath(const char* pszFormat, const char* pszPath) { g_installLog.Write(pszFormat, pszPath); }

// The names a run of this product gives the files it makes and sets aside in a site.
BOOL IsProductFileName(const char* pszName)
{
    for (int i = 0; i < kPayloadFileCount; ++i) {
        if (ops::SameText(pszName, kPayloadTable[i].pszFileName))
            return TRUE;
    }
    // What the removal of an installation takes: "Merolin.*" and the uninstaller.
    return AfxSameTextNoCase(pszName, kProgramFilesPattern, sizeof(kProgramFilesPattern) - 2) ||
           ops::SameText(pszName, kUninstallerFile);
}

BOOL IsSite(const Record& record, const char* pszDir) { return record.Has(Record::kSite, pszDir); }

// Whether a file entry names a product file in one of the record's sites (the
// installer's copy only in the record's own folder), or one of the product's links in
// a folder where links go.
BOOL IsConfinedFile(const Record& record, const char* pszPath, const CStringArray& linkFolders, BOOL bLinkOnly)
{
    const CString strDir = ops::ParentOf(pszPath);
    const char* pszName = ops::NameOf(pszPath);
    if (!bLinkOnly && IsSite(record, strDir) &&
        (IsProductFileName(pszName) ||
         (ops::SameText(pszName, kInstallerCopyName) && ops::SameText(strDir, ops::ParentOf(record.FilePath())))))
        return TRUE;
    return ops::IsProductLinkName(pszName) && ops::IsLinkFolder(strDir, linkFolders);
}

// Whether a directory made by the run holds (or is) one of its sites or link folders.
BOOL IsAboveAPlace(const Record& record, const char* pszDir, const CStringArray& linkFolders)
{
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if ((entry.chKind == Record::kSite ||
             ((entry.chKind == Record::kNewFile || entry.chKind == Record::kKeptLink) &&
              ops::IsProductLinkName(ops::NameOf(entry.pszText)))) &&
            ops::LiesBelow(entry.chKind == Record::kSite ? CString(entry.pszText) : ops::ParentOf(entry.pszText),
                           pszDir))
            return TRUE;
    }
    return FALSE;
}

BOOL IsConfined(const Record& record, const Record::Entry& entry, const CStringArray& linkFolders)
{
    const char* psz = entry.pszText;
    switch (entry.chKind) {
    case Record::kRegistry:
    case Record::kCompleted:
        return TRUE;
    case Record::kKeptKey:
        // One of the product's keys or a key below it, as KeepKeyTree keeps them.
        for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i) {
            if (ops::LiesBelow(psz, kProductKeys[i]))
                return TRUE;
        }
        return FALSE;
    case Record::kKeptValue: {
        DWORD dwType = REG_NONE;
        if (entry.nData >= sizeof dwType)
            memcpy(&dwType, entry.pData, sizeof dwType);
        return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_DWORD;
    }
    }
    if (!ops::IsCanonicalPath(psz))
        return FALSE;
    switch (entry.chKind) {
    case Record::kSite:
        return TRUE;
    case Record::kMadeDirectory:
        return IsAboveAPlace(record, psz, linkFolders);
    case Record::kMadeAside:
        return IsSite(record, psz);
    case Record::kNewFile:
    case Record::kSetAside:
    case Record::kKeptLink:
        return IsConfinedFile(record, psz, linkFolders, entry.chKind == Record::kKeptLink);
    }
    return FALSE;  // a kind this installer does not write
}

// The first entry that is not the run's own to name; FALSE when there is none.
BOOL FindForeign(const Record& record, Record::Entry* pEntry)
{
    CStringArray linkFolders;
    ops::LinkFolders(record.Scope(), linkFolders);
    for (DWORD nAt = 0; record.Next(&nAt, pEntry);) {
        if (!IsConfined(record, *pEntry, linkFolders))
            return TRUE;
    }
    return FALSE;
}


// The order in which an unfinished run's new files go: links, then the program files
// in the payload table's rollback order, then the rest.
int RemovalRank(const char* pszPath)
{
    const char* pszName = ops::NameOf(pszPath);
    if (ops::IsProductLinkName(pszName))
        return 0;
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        if (kPayloadTable[nRow].nRollbackOrder && ops::SameText(pszName, kPayloadTable[nRow].pszFileName))
            return kPayloadTable[nRow].nRollbackOrder;
    }
    return kPayloadFileCount + 1;
}

// Removes a new file of the run (one that was set aside first is the put-back's to
// replace: once put back, it is the previous installation's again); FALSE when it stays.
BOOL RemoveNewFile(const Record& record, const char* pszPath)
{
    if (record.Has(Record::kSetAside, pszPath))
        return TRUE;
    // Nothing is deleted through a link that a user may have put in the directory's
    // place since; a look that fails leaves it to the next run.
    const ops::Reach reach = ops::ReachOf(ops::ParentOf(pszPath));
    if (reach == ops::kBehindLink)
        LogPath(kLogRecordForeign, pszPath);
    if (reach != ops::kReached)
        return reach != ops::kUnknown;
    sys::SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
    if (sys::remove(pszPath) == 0) {
        LogPath(kLogRemoved, pszPath);
        return TRUE;
    }
    struct _finddata_t fd;
    return !ops::ProbePath(pszPath, &fd);
}

// The extraction's temporaries in a site, and the version library's that were not
// there when the run began (the site's entry lists those that were): an expansion cut
// short leaves its own.
void RemoveTemporaries(const Record::Entry& site)
{
    if (ops::ReachOf(site.pszText) != ops::kReached)
        return;  // not there, or behind a link: nothing of the run's to remove there
    const CString strDir = CString(site.pszText) + "\\";
    sys::remove(strDir + kTempCompressedFile);
    sys::remove(strDir + kTempExpandedFile);
    CStringArray names;
    ops::ListFiles(CString(site.pszText) + kVersionTempPattern, names);
    for (int i = 0; i < names.GetSize(); ++i) {
        const CString strPath = strDir + names.GetAt(i);
        const char* pszName = names.GetAt(i);
        BOOL bThere = ::lstrlenA(pszName) != sizeof kVersionTempName - 1;
        for (DWORD n = 0; n < site.nData && !bThere; n += ::lstrlenA((const char*)site.pData + n) + 1)
            bThere = ops::SameText((const char*)site.pData + n, pszName);
        if (!bThere && sys::remove(strPath) == 0)
            LogPath(kLogRemoved, strPath);
    }
}

// The directories the run made, deepest first, except those that hold pszKeep; one
// that stays keeps those above it, and with hOwner a "NOTE" box says so.
void RemoveMadeDirectories(const Record& record, const char* pszKeep, HWND hOwner, BOOL bReport)
{
    CStringArray madeDirs;
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind == Record::kMadeDirectory)
            madeDirs.Add(entry.pszText);
    }
    CString strStayed;
    for (int i = madeDirs.GetSize() - 1; i >= 0; --i) {
        const CString& strDir = madeDirs.GetAt(i);
        if ((pszKeep && ops::LiesBelow(pszKeep, strDir)) || (!strStayed.IsEmpty() && ops::LiesBelow(strStayed, strDir)))
            continue;
        sys::_chdir("\\");  // a directory to remove may be the current one
        if (sys::_rmdir(strDir) == 0) {
            LogPath(kLogRemoved, strDir);
        } else if (ops::IsDirectory(strDir)) {
            strStayed = strDir;
            if (bReport)
                AfxShowMessageBox(hOwner, kDirectoryStaysText + strDir, kNoteCaption, MB_ICONINFORMATION, kBoxNotice);
        }
    }
}

// What an unfinished run made goes: its new files and links, its temporaries, the
// product's keys once it had begun writing them, and the directories it made.
// FALSE when a file or key of its stays.
BOOL RemoveMade(const Record& record, HWND hOwner, BOOL bReport)
{
    BOOL bAll = TRUE;
    Record::Entry entry;
    for (int nRank = 0; nRank <= kPayloadFileCount + 1; ++nRank) {
        for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
            if (entry.chKind == Record::kNewFile && RemovalRank(entry.pszText) == nRank)
                bAll &= RemoveNewFile(record, entry.pszText);
        }
    }
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind == Record::kSite)
            RemoveTemporaries(entry);
    }
    RemoveMadeDirectories(record, NULL, hOwner, bReport);
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind == Record::kRegistry) {
            // Whatever the product's keys hold now is this run's: the previous
            // installation's are in the record.
            for (int i = 0; i < (int)ARRAYSIZE(kProductKeys); ++i)
                bAll &= ops::DeleteKeyPath(record.Scope(), kProductKeys[i]);
            if (entry.nData && !entry.pData[0])
                ops::DeleteKeyIfEmpty(record.Scope(), kMakerKey);
        }
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
        if (entry.chKind == Record::kSetAside) {
            const ops::PutBackResult result = ops::PutBack(record, psz);
            if (result == ops::kLeftBehindLink)
                LogPath(kLogRecordForeign, psz);
            if (result == ops::kNothingAside || result == ops::kLeftBehindLink)
                continue;
            bBack = result == ops::kPutBack;
        } else if (entry.chKind == Record::kKeptLink) {
            // A link is written back only where no link of a user's leads elsewhere.
            const ops::Reach reach = ops::ReachOf(ops::ParentOf(psz));
            if (reach == ops::kBehindLink) {
                LogPath(kLogRecordForeign, psz);
                continue;
            }
            bBack = reach != ops::kUnknown && ops::RestoreLink(entry);
        } else if (entry.chKind == Record::kKeptKey) {
            key.Close();
            bBack = ops::RestoreKey(record.Scope(), key, entry);
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

// The folders aside that the run made go once empty (a move that never happened
// left one so).
void RemoveAsideFolders(const Record& record)
{
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind != Record::kMadeAside)
            continue;
        const CString strFolder = ops::AsideFolder(record, entry.pszText);
        if (!strFolder.IsEmpty())
            sys::_rmdir(strFolder);
    }
}

// What a completed run set aside goes; FALSE when something stays.
BOOL DropAside(const Record& record)
{
    BOOL bAll = TRUE;
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind == Record::kSetAside && !ops::DropAside(record, entry.pszText)) {
            LogPath(kLogNotDeleted, ops::AsidePath(record, entry.pszText));
            bAll = FALSE;
        }
    }
    return bAll;
}

} // namespace

void UndoSite(const Record& record, const char* pszSite, const char* pszKeep)
{
    Record::Entry entry;
    for (DWORD nAt = 0; record.Next(&nAt, &entry);) {
        if (entry.chKind == Record::kSite && ops::SameText(entry.pszText, pszSite))
            RemoveTemporaries(entry);
        if (!ops::SameText(ops::ParentOf(entry.pszText), pszSite))
            continue;
        if (entry.chKind == Record::kNewFile)
            RemoveNewFile(record, entry.pszText);
        else if (entry.chKind == Record::kSetAside)
            ops::PutBack(record, entry.pszText);
    }
    RemoveMadeDirectories(record, pszKeep, NULL, FALSE);
}

SettleResult SettleRecord(Record& record, HWND hOwner, BOOL bReport)
{
    // A record this run wrote names its own places; one read from the disk must show it.
    Record::Entry entry;
    if (record.IsLoaded() && FindForeign(record, &entry)) {
        LogPath(kLogRecordForeign, entry.pszText);
        record.Close(FALSE);
        return kRefused;
    }
    const BOOL bCompleted = record.Has(Record::kCompleted, "");
    BOOL bSettled;
    if (bCompleted) {
        bSettled = DropAside(record);
    } else {
        bSettled = RemoveMade(record, hOwner, bReport);
        bSettled &= PutBackAside(record);
    }
    RemoveAsideFolders(record);
    // A completed run's leftovers are the next run's to try again, and never keep it
    // from running; an unfinished run's are the previous installation itself.
    record.Close(bSettled);
    return bSettled || bCompleted ? kSettled : kUnsettled;
}

BOOL RepairInterruptedRun(const ops::CScope& scope)
{
    // Each place may hold a record; one settled is gone, so the next look finds the next.
    for (int nPlace = 0; nPlace < scope.RecordPlaces(); ++nPlace) {
        ops::CRecordFile record(scope);
        const ops::CRecordFile::Loaded loaded = record.Load();
        if (!record.Refused().IsEmpty())
            LogPath(kLogNotOwnPlace, record.Refused());
        if (loaded == ops::CRecordFile::kNone)
            return TRUE;
        LogPath(loaded == ops::CRecordFile::kLoaded ? kLogRecordFound : kLogRecordUnknown, record.FilePath());
        if (loaded != ops::CRecordFile::kLoaded)
            return FALSE;
        const SettleResult result = SettleRecord(record);
        if (result == kUnsettled)
            return FALSE;
        if (result == kRefused)
            return TRUE;
    }
    return TRUE;
}
