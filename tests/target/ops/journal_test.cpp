// The run's journal at ops level, a table per verb: which places it enters (their
// trust forged through the call table: Wine cannot show another user's folder), what
// it sets aside and keeps and how that comes back or goes, and what of a journal read
// from the disk it applies.
#include "ops_fixture.h"
#include "journal.h"
#include <functional>
#include <map>
#include <set>
#include <sddl.h>

namespace {

std::map<std::string, std::string> g_forged;  // folder (lower case) -> its owner and DACL, or "fail"
std::set<std::string> g_reparse;              // folders (lower case) that read as reparse points
std::vector<std::string> g_setSecurity;       // what SetFileSecurityA set, in SDDL
std::vector<std::string> g_notes;
bool g_notElevated;

std::string Lower(std::string s)
{
    CharLowerA(&s[0]);
    return s;
}
std::string PathOfHandle(HANDLE h)
{
    char path[MAX_PATH] = "";
    GetFinalPathNameByHandleA(h, path, MAX_PATH, 0);
    return Lower(strncmp(path, "\\\\?\\", 4) ? path : path + 4);
}
std::string Sddl(PSECURITY_DESCRIPTOR sd)
{
    char* text = NULL;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, 1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                         &text, NULL);
    const std::string s = text ? text : "";
    LocalFree(text);
    return s;
}
std::string Normal(const std::string& sddl)
{
    PSECURITY_DESCRIPTOR sd;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), 1, &sd, NULL)) << sddl;
    const std::string s = Sddl(sd);
    LocalFree(sd);
    return s;
}
BOOL WINAPI ForgedSecurity(HANDLE h, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR sd, DWORD n, LPDWORD needed)
{
    const auto forged = g_forged.find(PathOfHandle(h));
    if (forged == g_forged.end())
        return g_afxSystemCalls.GetKernelObjectSecurity(h, info, sd, n, needed);
    PSECURITY_DESCRIPTOR made;
    ULONG size = 0;
    if (forged->second == "fail" ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorA(forged->second.c_str(), 1, &made, &size)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    memcpy(sd, made, size < n ? size : n);
    *needed = size;
    LocalFree(made);
    return TRUE;
}
BOOL WINAPI RecordedSetSecurity(LPCSTR path, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR sd)
{
    g_setSecurity.push_back(Sddl(sd));
    if (g_forged.count(Lower(path)))
        g_forged[Lower(path)] = g_setSecurity.back();  // it reads as it was set
    return TRUE;
}
DWORD WINAPI ForgedAttributes(LPCSTR path)
{
    const DWORD attributes = g_afxSystemCalls.GetFileAttributesA(path);
    return attributes | (attributes != INVALID_FILE_ATTRIBUTES && g_reparse.count(Lower(path)) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}
BOOL WINAPI ForgedToken(HANDLE h, TOKEN_INFORMATION_CLASS c, LPVOID info, DWORD n, PDWORD needed)
{
    if (c != TokenElevation || !g_notElevated)
        return g_afxSystemCalls.GetTokenInformation(h, c, info, n, needed);
    ((TOKEN_ELEVATION*)info)->TokenIsElevated = 0;
    return TRUE;
}
void RecordNote(const char* format, const char* text)
{
    char line[1024];
    wsprintfA(line, format, text);
    g_notes.push_back(line);
}
void Forge(const std::string& folder, const std::string& sddl) { g_forged[Lower(folder)] = sddl; }
void ForgeAdministrators(const std::string& folder) { Forge(folder, "O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"); }
std::string TokenUserSid()
{
    HANDLE token;
    BYTE buf[256];
    DWORD n;
    char* sid = NULL;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    GetTokenInformation(token, TokenUser, buf, sizeof buf, &n);
    CloseHandle(token);
    ConvertSidToStringSidA(((TOKEN_USER*)buf)->User.Sid, &sid);
    const std::string s = sid;
    LocalFree(sid);
    return s;
}

class JournalTest : public OpsTest {
protected:
    JournalTest()
    {
        g_forged.clear(), g_reparse.clear(), g_setSecurity.clear(), g_notes.clear();
        g_notElevated = false;
        faults.Forward().GetKernelObjectSecurity = ForgedSecurity;
        faults.Forward().SetFileSecurityA = RecordedSetSecurity;
        faults.Forward().GetFileAttributesA = ForgedAttributes;
        faults.Forward().GetTokenInformation = ForgedToken;
        for (const CScope& scope : { machine, user })
            RemoveTree(std::string(scope.JournalFolder(0)) + "\\MerolinSetup.rec");
    }
    ~JournalTest() override { RemoveTree(userSite); }
    bool WasNoted(const std::string& line) const { return std::find(g_notes.begin(), g_notes.end(), line) != g_notes.end(); }

    PlatformFaults faults;
    ScratchDir scratch{ CurrentTestName() };
    const CScope user{ CScope::kUser };
    const std::string site = scratch / "Apps\\Merolin";
    const std::string userSite = common::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\MerolinJournalTest";
};

// EnterSite and Hold, EnterJournalFolder, EnterLinkFolder: each kind of place trusted,
// taken over or refused, by its owner and rights, its reach and its scope.
struct PlaceCase {
    const char* name;
    char kind;  // 'S' a site below the scratch directory, 'U' a site below the user's profile, 'F' the
                // journal's first folder, 'A' all users' desktop, 'D' the user's desktop
    bool forUser;
    std::function<void(const std::string&)> forge;
    const char* verdict;  // "held", "taken over" (then given back) or "refused"
};
const std::string kUserOwned = "O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;SY)(A;OICI;FA;;;S-1-5-21-1-2-3-1001)";
const std::string kUsersWrite = "O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;;0x2;;;BU)";
const PlaceCase kPlaces[] = {
    { "the run's own site", 'S', false, nullptr, "held" },
    { "a site a user owns", 'S', false, [](const std::string& p) { Forge(p, kUserOwned); }, "taken over" },
    { "a site whose rights let Users write", 'S', false, [](const std::string& p) { Forge(p, kUsersWrite); }, "taken over" },
    { "a site the token's user owns", 'S', false,
      [](const std::string& p) {
          // Not Wine's system, whose every folder the token's user owns: there nobody but
          // administrators owns the Windows directory and the folders around the site.
          char windows[MAX_PATH];
          GetWindowsDirectoryA(windows, MAX_PATH);
          const std::string journal(machine.JournalFolder(0));
          for (const std::string& folder : { std::string(windows), journal, std::string(ParentOf(journal.c_str())),
                                             std::string(ParentOf(p.c_str())) })
              ForgeAdministrators(folder);
          Forge(p, "O:" + TokenUserSid() + "D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + TokenUserSid() + ")");
      }, "taken over" },
    { "a site of TrustedInstaller's (as Program Files' folders are)", 'S', false,
      [](const std::string& p) { Forge(p, "O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464D:(A;OICI;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)(A;OICI;0x1200a9;;;BU)"); }, "held" },
    { "a site reached through a reparse point", 'S', false, [](const std::string& p) { g_reparse.insert(Lower(std::string(ParentOf(p.c_str())))); }, "refused" },
    { "a site that is a reparse point", 'S', false, [](const std::string& p) { g_reparse.insert(Lower(p)); }, "refused" },
    { "a site whose security cannot be read", 'S', false, [](const std::string& p) { Forge(p, "fail"); }, "refused" },
    { "a site below a folder Users may delete children of", 'S', false,
      [](const std::string& p) { Forge(std::string(ParentOf(p.c_str())), "O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)"); }, "refused" },
    { "a site below a folder Users may only add to (as C:\\)", 'S', false,
      [](const std::string& p) { Forge(std::string(ParentOf(p.c_str())), "O:BAD:(A;;FA;;;BA)(A;;0x4;;;AU)"); }, "held" },
    { "the journal's folder a user owns", 'F', false, [](const std::string& p) { Forge(p, kUserOwned); }, "refused" },
    { "the journal's folder behind a reparse point", 'F', false, [](const std::string& p) { g_reparse.insert(Lower(p)); }, "refused" },
    { "all users' desktop that Users may write", 'A', false, [](const std::string& p) { Forge(p, kUsersWrite); }, "refused" },
    { "the user's desktop, below the profile", 'D', false, nullptr, "held" },
    { "for the user: a site outside the profile, the run elevated", 'S', true, nullptr, "refused" },
    { "for the user: a site outside the profile, the run with the user's rights", 'S', true,
      [](const std::string&) { g_notElevated = true; }, "held" },
    { "for the user: a site below the profile", 'U', true, nullptr, "held" },
};

TEST_F(JournalTest, APlaceIsEnteredOnlyWhereItIsTheRunsOwn)
{
    for (const PlaceCase& c : kPlaces) {
        SCOPED_TRACE(c.name);
        g_forged.clear(), g_reparse.clear(), g_setSecurity.clear(), g_notes.clear();
        g_notElevated = false;
        const CScope& scope = c.forUser ? user : machine;
        const std::string path = c.kind == 'S' ? site : c.kind == 'U' ? userSite
                                 : c.kind == 'F' ? std::string(scope.JournalFolder(0))
                                                 : std::string(scope.LinkFolder(c.kind == 'A' ? CScope::kAllUsersDesktop : CScope::kUserDesktop));
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, path.c_str(), NULL) % ERROR_ALREADY_EXISTS);
        std::string forged;
        if (c.forge) {
            c.forge(path);
            forged = g_forged.count(Lower(path)) && g_forged[Lower(path)] != "fail" ? Normal(g_forged[Lower(path)]) : "";
        }
        CJournal journal(scope, RecordNote);
        int place = CJournal::kNoPlace;
        if (c.kind == 'F') {
            // A journal started there is started in the next folder (the Windows
            // directory's) or, where there is none, not at all.
            place = journal.EnterJournalFolder(0);
            ASSERT_EQ(!c.forUser, journal.Start());
            EXPECT_EQ(place != CJournal::kNoPlace, SamePath(std::string(ParentOf(journal.FilePath())), path));
        } else {
            ASSERT_TRUE(journal.Start());
            place = c.kind == 'A' || c.kind == 'D'
                        ? journal.EnterLinkFolder(c.kind == 'A' ? CScope::kAllUsersDesktop : CScope::kUserDesktop, FALSE)
                        : journal.EnterSite(path.c_str(), FALSE);
        }
        const std::string verdict = place == CJournal::kNoPlace ? "refused" : g_setSecurity.empty() ? "held" : "taken over";
        EXPECT_EQ(c.verdict, verdict);
        EXPECT_EQ(verdict == "refused", WasNoted(path + " is not the installer's: not used"));
        if (verdict == "taken over") {
            EXPECT_EQ(Normal("O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"), g_setSecurity[0]);
            EXPECT_TRUE(journal.Settle());  // a run that does not complete gives it back
            ASSERT_EQ(2u, g_setSecurity.size());
            EXPECT_EQ(forged, g_setSecurity[1]);
        }
        journal.Close(TRUE);
    }
}

// WillWrite, WillSetAside and MoveAside, KeepProductKeys: what stood there comes back
// when the run does not complete, and goes when it does; the new goes, or stays.
struct AsideCase {
    const char* name;
    std::function<void(const std::string& site, CJournal&)> run;  // plants what was there, puts the step on the journal, does it
    std::function<std::string(const std::string& site)> look;
    const char *before, *after;  // what look says before the run and after a completed one
};
std::string Contents(const std::string& path) { return FileExists(path) ? ReadWholeFile(path) : "-"; }
void Replace(CJournal& journal, int place, const char* name, const std::string& data)
{
    BOOL aside = FALSE;
    ASSERT_TRUE(journal.WillWrite(place, name, &aside) && journal.Flush());
    EXPECT_TRUE(!aside || journal.MoveAside(place, name));
    WriteWholeFile(std::string(journal.PathOf(place, name)), data);
}
const AsideCase kAside[] = {
    { "a product file there, replaced",
      [](const std::string& site, CJournal& j) {
          WriteWholeFile(site + "\\Merolin.exe", "1.20");
          Replace(j, j.EnterSite(site.c_str(), FALSE), "Merolin.exe", "1.31");
      },
      [](const std::string& site) { return Contents(site + "\\Merolin.exe") + " " + ::testing::PrintToString(ListDir(site)); },
      "1.20 { \"Merolin.exe\" }", "1.31 { \"Merolin.exe\" }" },
    { "a product file not there, written",
      [](const std::string& site, CJournal& j) { Replace(j, j.EnterSite(site.c_str(), FALSE), "Merolin.hlp", "1.31"); },
      [](const std::string& site) { return Contents(site + "\\Merolin.hlp"); }, "-", "1.31" },
    { "the installer's copy there, replaced",
      [](const std::string&, CJournal& j) {
          WriteWholeFile(std::string(j.PathOf(0, "MerolinSetup.exe")), "1.20");
          Replace(j, 0, "MerolinSetup.exe", "1.31");
      },
      [](const std::string&) { return Contents(std::string(machine.JournalFolder(0)) + "\\MerolinSetup.exe"); }, "1.20", "1.31" },
    { "a link there, replaced",
      [](const std::string&, CJournal& j) {
          const int desktop = j.EnterLinkFolder(CScope::kUserDesktop, FALSE);
          WriteWholeFile(std::string(j.PathOf(desktop, "Merolin.lnk")), "the link of 1.20");
          Replace(j, desktop, "Merolin.lnk", "the link of 1.31");
      },
      [](const std::string&) { return Contents(common::DesktopDir() + "\\Merolin.lnk"); }, "the link of 1.20", "the link of 1.31" },
    { "the product's keys there, written again",
      [](const std::string&, CJournal& j) {
          RegPutString(std::string(kAppPathsKey) + "\\Below", "Path", "1.20");
          ASSERT_TRUE(j.WillWriteProductKeys() && j.Flush());
          RegPutString(std::string(kAppPathsKey) + "\\Below", "Path", "1.31");
          RegPutString(kVendorVersionKey, "", "1");
      },
      [](const std::string&) { return RegString(std::string(kAppPathsKey) + "\\Below", "Path") + (RegKeyExists(kMakerKey) ? " maker" : ""); },
      "1.20", "1.31 maker" },
    { "a removal's file, with ten folders aside a user made first",
      [](const std::string& site, CJournal& j) {
          WriteWholeFile(site + "\\Merolin.txt", "1.20");
          for (const char* aside : { "", "1", "2", "3", "4", "5", "6", "7", "8", "9" })
              ::CreateDirectoryA((site + "\\MR.OLD" + aside).c_str(), NULL);
          const int place = j.EnterSite(site.c_str(), FALSE);
          j.WillSetAside(place, "Merolin.txt");
          ASSERT_TRUE(j.Flush() && j.MoveAside(place, "Merolin.txt"));
          EXPECT_EQ("1.20", ReadWholeFile(site + "\\MR.OLD10\\Merolin.txt"));
      },
      [](const std::string& site) { return Contents(site + "\\Merolin.txt") + " " + std::to_string(ListDir(site).size()); },
      "1.20 11", "- 10" },
};

TEST_F(JournalTest, WhatTheRunReplacesComesBackUnlessItCompletes)
{
    for (const AsideCase& c : kAside) {
        for (const bool completed : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (completed ? ", completed" : ", not completed"));
            RemoveTree(site);
            RemoveProductKeys();
            ASSERT_EQ(0, SHCreateDirectoryExA(NULL, site.c_str(), NULL));
            CJournal journal(machine, RecordNote);
            ASSERT_TRUE(journal.Start());
            c.run(site, journal);
            if (completed)
                ASSERT_TRUE(journal.Complete());
            EXPECT_TRUE(journal.Settle());
            EXPECT_EQ(completed ? c.after : c.before, c.look(site));
            EXPECT_FALSE(FileExists(std::string(journal.FilePath())));
        }
    }
    ::DeleteFileA((common::DesktopDir() + "\\Merolin.lnk").c_str());
    ::DeleteFileA((std::string(machine.JournalFolder(0)) + "\\MerolinSetup.exe").c_str());
}

// UndoOtherSites: a completed attempt undoes the earlier attempts in other directories,
// but only those the system tells apart from its own: another spelling of the same
// directory is the same place, and where the system gives no directory an identity,
// nothing of one site is removed for another's sake.
BOOL WINAPI NoIdentity(HANDLE h, LPBY_HANDLE_FILE_INFORMATION info)
{
    const BOOL ok = g_afxSystemCalls.GetFileInformationByHandle(h, info);
    info->nFileIndexHigh = info->nFileIndexLow = 0;
    return ok;
}
TEST_F(JournalTest, OnlySitesKnownToBeOtherDirectoriesAreUndone)
{
    const std::string other = scratch / "Other";
    std::string upper = site;
    CharUpperA(&upper[0]);
    for (const bool identified : { false, true }) {
        SCOPED_TRACE(identified ? "identified" : "without identities");
        faults.Forward().GetFileInformationByHandle = identified ? g_afxSystemCalls.GetFileInformationByHandle : NoIdentity;
        RemoveTree(site), RemoveTree(other);
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, site.c_str(), NULL));
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, other.c_str(), NULL));
        CJournal journal(machine, RecordNote);
        ASSERT_TRUE(journal.Start());
        const int first = journal.EnterSite(other.c_str(), TRUE), completed = journal.EnterSite(site.c_str(), TRUE);
        EXPECT_EQ(completed, journal.EnterSite(upper.c_str(), TRUE));
        Replace(journal, first, "Merolin.exe", "1.31");
        Replace(journal, completed, "Merolin.exe", "1.31");
        journal.UndoOtherSites(completed);
        ASSERT_TRUE(journal.Complete() && journal.Settle());
        EXPECT_EQ(!identified, FileExists(other + "\\Merolin.exe"));
        EXPECT_TRUE(FileExists(site + "\\Merolin.exe"));
    }
}

// A journal read back is entered again place by place: a place of another scope's (a
// user's program wrote it naming the machine's files, which an elevated run for the user
// must never touch), and a name with a separator or not of the product's, are left as
// they are, and said; the run's own is settled.
TEST_F(JournalTest, AJournalReadBackAppliesOnlyWhatIsTheRunsOwn)
{
    const std::string machineDir = scratch / "Machine";
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, userSite.c_str(), NULL));
    ASSERT_TRUE(::CreateDirectoryA(machineDir.c_str(), NULL));
    {
        g_notElevated = true;  // written where the run held the user's rights only
        CJournal written(user, RecordNote);
        ASSERT_TRUE(written.Start());
        for (const std::string& dir : { machineDir, userSite }) {
            const int place = written.EnterSite(dir.c_str(), FALSE);
            for (const char* name : { "Merolin.exe", "notes.txt", "..\\escape.txt" }) {
                BOOL aside;
                ASSERT_TRUE(written.WillWrite(place, name, &aside));
            }
        }
        ASSERT_TRUE(written.Flush());
        written.Close(FALSE);
        g_notElevated = false;
    }
    for (const std::string& file : { machineDir + "\\Merolin.exe", userSite + "\\Merolin.exe", userSite + "\\notes.txt",
                                     common::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\escape.txt" })
        WriteWholeFile(file, "there");
    CJournal loaded(user, RecordNote);
    ASSERT_EQ(CJournal::kLoaded, loaded.Load(0));
    EXPECT_TRUE(loaded.Settle());
    EXPECT_TRUE(FileExists(machineDir + "\\Merolin.exe"));
    EXPECT_FALSE(FileExists(userSite + "\\Merolin.exe"));
    EXPECT_TRUE(FileExists(userSite + "\\notes.txt"));
    EXPECT_TRUE(FileExists(common::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\escape.txt"));
    EXPECT_TRUE(WasNoted(machineDir + " is not the installer's: not used"));
    EXPECT_TRUE(WasNoted("Not the product's, left alone: " + userSite + "\\notes.txt"));
    EXPECT_TRUE(WasNoted("Not the product's, left alone: " + userSite + "\\..\\escape.txt"));
    EXPECT_FALSE(FileExists(std::string(loaded.FilePath())));
    ::DeleteFileA((common::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\escape.txt").c_str());
}

// Load: a journal broken off in its last entry is read up to it; one broken off before
// its first entry (empty) goes; one of another format stays as it is.
TEST_F(JournalTest, AJournalBrokenOffOrOfAnotherFormat)
{
    const std::string file = std::string(machine.JournalFolder(0)) + "\\MerolinSetup.rec";
    const struct {
        const char* name;
        int cut;                // bytes cut off the end of the journal written (-1: none written)
        const char* contents;   // else the file's contents
        CJournal::Loaded loaded;
        bool applied, stays, on9x;  // on9x: read back where the system has no flag to open a link itself
    } kForms[] = {
        { "broken off in its last entry", 3, nullptr, CJournal::kLoaded, true, false, false },
        { "the same on Windows 9x", 3, nullptr, CJournal::kLoaded, true, false, true },
        { "empty", -1, "", CJournal::kNone, false, false, false },
        { "the format before this one", -1, "MRR\x02 N\x05\0\0\0x", CJournal::kUnknownFormat, false, true, false },
    };
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, site.c_str(), NULL));
    for (const auto& form : kForms) {
        SCOPED_TRACE(form.name);
        WriteWholeFile(site + "\\Merolin.exe", "new"), WriteWholeFile(site + "\\Merolin.hlp", "new");
        if (form.cut >= 0) {
            CJournal written(machine, RecordNote);
            ASSERT_TRUE(written.Start());
            const int place = written.EnterSite(site.c_str(), FALSE);
            for (const char* name : { "Merolin.exe", "Merolin.hlp" }) {
                ::DeleteFileA((site + "\\" + name).c_str());
                BOOL aside;
                ASSERT_TRUE(written.WillWrite(place, name, &aside) && written.Flush());
                WriteWholeFile(site + "\\" + name, "new");
            }
            written.Close(FALSE);
            const std::string bytes = ReadWholeFile(file);
            WriteWholeFile(file, bytes.substr(0, bytes.size() - form.cut));
        } else {
            WriteWholeFile(file, form.contents);
        }
        CJournal loaded(machine, RecordNote);
        {
            PlatformFaults faults;
            if (form.on9x)
                faults.LookLikeWindows9x();
            EXPECT_EQ(form.loaded, loaded.Load(0));
            if (form.loaded == CJournal::kLoaded)
                EXPECT_TRUE(loaded.Settle());
        }
        EXPECT_EQ(form.applied, !FileExists(site + "\\Merolin.exe"));
        EXPECT_TRUE(FileExists(site + "\\Merolin.hlp"));
        EXPECT_EQ(form.stays, FileExists(file));
        loaded.Close(FALSE);
        ::DeleteFileA(file.c_str());
    }
}

} // namespace
