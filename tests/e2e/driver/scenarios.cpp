// The end-to-end scenarios: a user works the installer through its windows; afterwards
// the driver looks at drive C:, the registry and the links from the outside.
#include "scenarios.h"

#include <windows.h>
#include <msiquery.h>
#include <tlhelp32.h>
#include <time.h>

#include <functional>

#include "checks.h"
#include "driver.h"

namespace e2e {

namespace {

const Env* g_env = nullptr;

// The texts a user reads, letter for letter.
const char kWelcomeText[] = "MEROLIN\r\nTest Management and administration has never been easier!\n\n"
                            "Click \"OK\" to install Tolvane Software's\r\nMerolin  for Windows.";
const char kSpaceStatus[] = "To install Merolin, at least\r\n500 Kb of free disk space is required.";
const char kCompleteCaption[] = "INSTALLATION COMLETE";
const char kCompleteText[] = "Merolin 1.31 has been successfully installed!\r\n\r\n"
                             "Would you like to to run Merolin right now?";
const char kDefaultDir[] = "C:\\Program Files\\Merolin";
const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin";
const char kVendorKey[] = "SOFTWARE\\Tolvane Software\\Merolin\\1.31";
const char kMakerKey[] = "SOFTWARE\\Tolvane Software";

// The seven files a complete installation leaves, and where the build has their originals.
struct PayloadFile {
    const char* name;
    bool built; // a stand-in program of the build tree, else a data file of the sources
};
const PayloadFile kPayload[] = {
    {"Merolin.exe", true},       {"Merolin.hlp", false},      {"Uninstall.exe", true},  {"Merolin.txt", false},
    {"US-Caps_FITB.MR1", false}, {"US-Caps_MULT.MR1", false}, {"Vocab_MULT.MR1", false},
};

std::string Original(const PayloadFile& f)
{
    return f.built ? g_env->buildDir + "\\payload\\" + f.name : g_env->sourceDir + "\\payload\\files\\" + f.name;
}

std::string Join(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

// ---- steps shared by the scenarios ----

void StartInstaller(Process& p) { p.Start(g_env->setupExe, "", "C:\\Setup"); }

HWND Welcome(Process& p)
{
    HWND w = WaitWindow(p, kWelcomeTitle);
    ExpectControlText(w, kStaticText, kWelcomeText);
    return w;
}

HWND License(Process& p)
{
    HWND w = WaitWindow(p, kLicenseTitle);
    std::string expected = ReadFile(g_env->sourceDir + "\\res\\license.txt");
    std::string shown = ControlText(w, kLicenseEdit);
    Check(shown == expected, "the licence shows the %u bytes of res/license.txt (it shows %u bytes)",
          (unsigned)expected.size(), (unsigned)shown.size());
    return w;
}

// Welcome and licence accepted.
void PassGate(Process& p)
{
    Press(Welcome(p), kOkBtn);
    Press(License(p), kOkBtn);
}

HWND InstallerDialog(Process& p, const std::string& proposedDir)
{
    HWND dlg = WaitWindow(p, kInstallerTitle);
    WaitEnabled(dlg);
    ExpectControlText(dlg, kTargetDir, proposedDir);
    ExpectControlText(dlg, kStatus, kSpaceStatus);
    return dlg;
}

// The question before a previous installation is removed, answered Yes.
void ConfirmOverwrite(Process& p)
{
    ExpectBox(p, "Note", "This will overwrite any previous installation:\r\n\r\nAre you sure you want to continue "
              "installing Merolin?", "Yes No", IDYES);
}

// Starts the installer, accepts the welcome and the licence, types dir into the
// installer dialog (which proposes the default) and presses Install.
HWND StartAndInstallInto(Process& p, const std::string& dir)
{
    StartInstaller(p);
    PassGate(p);
    HWND dlg = InstallerDialog(p, kDefaultDir);
    Type(dlg, kTargetDir, dir);
    Press(dlg, kInstall);
    return dlg;
}

// root: "" for the machine's keys, "HKCU\\" for the user's.
void ExpectNoProductKeys(const std::string& root = "")
{
    for (const char* key : {kAppPathsKey, kUninstallKey, kMakerKey})
        Check(!KeyExists(root + key), "no key %s%s", root.empty() ? "HKLM\\" : "", (root + key).c_str());
}

// The installation's copy of the installer, in the installer's folder of the machine or of the user.
std::string CopyPath(bool currentUser)
{
    return common::ShellFolder(currentUser ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA) +
           "\\Tolvane Software Setup\\MerolinSetup.exe";
}

void ExpectNoInstallerWindows()
{
    for (HWND w : TopWindows(0)) {
        std::string t = WindowText(w);
        bool ours = t == kWelcomeTitle || t == kLicenseTitle || t == kInstallerTitle ||
                    (t.empty() && ClassOf(w) == "#32770");
        Check(!ours, "window \"%s\" (class %s) is left on the screen", t.c_str(), ClassOf(w).c_str());
    }
}

// An entry of the installer's journal as a program could write it (its format,
// version 3): kind, place, the length of the body, the body (a name, its NUL, data).
std::string JournalEntry(char kind, int place, const std::string& name, const std::string& data = std::string(2, '\0'))
{
    const std::string body = name + '\0' + data;
    std::string entry = {kind, (char)place};
    for (int i = 0; i < 4; ++i)
        entry += (char)(body.size() >> 8 * i);
    return entry + body;
}

// Makes the Unix file system of the prefix hold a symbolic link at path to target, which
// Wine shows as a folder that is a reparse point (a Windows program cannot make one under
// Wine): a link a standard user could have made first where a folder of the installer's goes.
void UnixLink(const std::string& path, const std::string& target)
{
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    const ToUnix toUnix = (ToUnix)(void*)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    auto unixPath = [toUnix](const std::string& windows) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, windows.c_str(), -1, wide, MAX_PATH);
        char* name = toUnix ? toUnix(wide) : nullptr;
        const std::string s = name ? name : "";
        HeapFree(GetProcessHeap(), 0, name);
        return s;
    };
    std::string command = "ln -s \"" + unixPath(target) + "\" \"" + unixPath(path) + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!Check(toUnix && CreateProcessA("Z:\\bin\\ln", &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi),
               "%s runs", command.c_str()))
        return;
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
    Check((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0, "%s is a link to %s", path.c_str(),
          target.c_str());
}

// Every directory of the path, from the first below the root to the path itself.
std::vector<std::string> Chain(const std::string& path)
{
    std::vector<std::string> dirs;
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            dirs.push_back(path.substr(0, i));
    return dirs;
}

std::string LinkPath(const std::string& folder, const std::string& title) { return folder + "\\" + title + ".lnk"; }

void ExpectLink(const std::string& file, const std::string& target, const std::string& dir,
                const std::string& description)
{
    if (!Check(FileExists(file), "link %s exists", file.c_str()))
        return;
    Link l = ReadLink(file);
    Check(Lower(l.target) == Lower(target), "%s points at \"%s\" (expected \"%s\")", file.c_str(), l.target.c_str(),
          target.c_str());
    Check(l.workingDir == dir, "%s starts in \"%s\" (expected \"%s\")", file.c_str(), l.workingDir.c_str(),
          dir.c_str());
    Check(l.description == description, "%s is described \"%s\" (expected \"%s\")", file.c_str(),
          l.description.c_str(), description.c_str());
    Check(Lower(l.iconLocation) == Lower(target), "%s takes its icon from \"%s\"", file.c_str(),
          l.iconLocation.c_str());
    Check(l.showCommand == SW_SHOWNORMAL, "%s shows its program normally (show command %d)", file.c_str(),
          l.showCommand);
}

// Where an installation is: its links in the user's folders (a run with windows), in all
// users' (kAllUsers), or it is the user's own (kCurrentUser: its keys below HKEY_CURRENT_USER,
// the copy in the user's folder); kNoDesktop: without the desktop link.
enum : unsigned { kAllUsers = 1, kCurrentUser = 2, kNoDesktop = 4 };

// A complete installation into dir, checked from the outside: the files by content and
// time stamp, no temporary file, the links, the installer's copy, the three registry
// keys, and no other change to drive C: than those.
void ExpectInstalled(const Snapshot& before, const std::string& dir, time_t startedAt, time_t endedAt, unsigned where = 0)
{
    const bool allUsers = where & kAllUsers, desktop = !(where & kNoDesktop);
    const std::string root = where & kCurrentUser ? "HKCU\\" : "", copy = CopyPath(where & kCurrentUser);
    Snapshot after = TakeSnapshot();
    FILETIME stamp = ReleaseStamp();
    Log("checking the installation in %s", dir.c_str());
    size_t payloadBytes = 0;
    for (const PayloadFile& f : kPayload) {
        std::string path = Join(dir, f.name);
        if (!Check(FileExists(path), "%s is installed", path.c_str()))
            continue;
        // Saving the desktop link makes the shell (Wine's, at least) read the program it
        // points at, which moves that file's last-access time; so does running it.
        ExpectStamp(path, stamp, std::string(f.name) == "Merolin.exe");
        std::string want = ReadFile(Original(f));
        payloadBytes += want.size();
        std::string got = ReadFile(path);
        Check(got == want, "%s: %u bytes, the same as its original (%u bytes)", path.c_str(), (unsigned)got.size(),
              (unsigned)want.size());
    }
    Check(!FileExists(Join(dir, "MR.MSZ")) && !FileExists(Join(dir, "MR.XXX")), "no MR.MSZ or MR.XXX in %s",
          dir.c_str());

    std::string group = Join(ProgramsDir(allUsers), "Merolin");
    if (desktop) // (without, the snapshot sees a link in either desktop)
        ExpectLink(LinkPath(DesktopDir(allUsers), "Merolin"), Join(dir, "Merolin.exe"), dir, "Merolin");
    Check(ReadFile(copy) == ReadFile(g_env->setupExe), "%s is a copy of the installer", copy.c_str());
    ExpectLink(LinkPath(group, "Merolin"), Join(dir, "Merolin.exe"), dir, "Merolin");
    ExpectLink(LinkPath(group, "Merolin Help"), Join(dir, "Merolin.hlp"), dir, "Merolin Help");
    ExpectLink(LinkPath(group, "Uninstall Merolin"), Join(dir, "Uninstall.exe"), dir, "Uninstall Merolin");

    std::string installed = RegString(root + kVendorKey, "");
    bool digits = !installed.empty() && installed.find_first_not_of("0123456789") == std::string::npos &&
                  (installed.size() == 1 || installed[0] != '0');
    time_t t = digits ? (time_t)_strtoui64(installed.c_str(), nullptr, 10) : 0;
    Check(digits && t >= startedAt && t <= endedAt,
          "%s%s holds the install time \"%s\" (between %lld and %lld)", root.c_str(), kVendorKey, installed.c_str(),
          (long long)startedAt, (long long)endedAt);
    std::string v;
    v = RegString(root + kAppPathsKey, "");
    Check(v == Join(dir, "Merolin.exe"), "App Paths default value \"%s\"", v.c_str());
    v = RegString(root + kAppPathsKey, "Path");
    Check(v == dir, "App Paths \"Path\" \"%s\"", v.c_str());
    v = RegString(root + kUninstallKey, "DisplayName");
    Check(v == "Merolin 1.31", "Uninstall \"DisplayName\" \"%s\"", v.c_str());
    v = RegString(root + kUninstallKey, "UninstallString");
    Check(v == "\"" + Join(dir, "Uninstall.exe") + "\"", "Uninstall \"UninstallString\" %s (quoted)", v.c_str());
    v = RegString(root + kUninstallKey, "QuietUninstallString");
    Check(v == "\"" + copy + "\" /S /REMOVE" + (root.empty() ? "" : " /CURRENTUSER"), "QuietUninstallString %s", v.c_str());
    if (!desktop)
        Check(RegDword(root + "SOFTWARE\\Tolvane Software\\Merolin", "NoDesktopLink") == 1, "NoDesktopLink is 1");
    for (const auto& t : std::map<std::string, std::string>{{"DisplayVersion", "1.31"}, {"InstallLocation", dir},
             {"Publisher", "Tolvane Software"}, {"DisplayIcon", Join(dir, "Merolin.exe")}})
        Check(RegString(root + kUninstallKey, t.first) == t.second, "Uninstall \"%s\" is \"%s\"", t.first.c_str(),
              t.second.c_str());
    for (const auto& n : std::map<std::string, DWORD>{
             {"EstimatedSize", (DWORD)((payloadBytes + 1023) / 1024)}, {"NoModify", 1}, {"NoRepair", 1},
             {"VersionMajor", 1}, {"VersionMinor", 31}})
        Check(RegDword(root + kUninstallKey, n.first) == n.second, "Uninstall \"%s\" is %lu", n.first.c_str(), n.second);
    char dates[2][16];
    strftime(dates[0], 16, "%Y%m%d", localtime(&startedAt));
    strftime(dates[1], 16, "%Y%m%d", localtime(&endedAt));
    v = RegString(root + kUninstallKey, "InstallDate");
    Check(v == dates[0] || v == dates[1], "Uninstall \"InstallDate\" \"%s\", the local date (%s)", v.c_str(), dates[1]);

    // Everything the installation adds; what was there before may have been replaced.
    std::set<std::string> expected;
    for (const std::string& d : Chain(dir))
        expected.insert(d);
    for (const PayloadFile& f : kPayload)
        expected.insert(Join(dir, f.name));
    for (const std::string& d : Chain(group))
        expected.insert(d);
    if (desktop)
        expected.insert(LinkPath(DesktopDir(allUsers), "Merolin"));
    expected.insert(copy);
    expected.insert(LinkPath(group, "Merolin"));
    expected.insert(LinkPath(group, "Merolin Help"));
    expected.insert(LinkPath(group, "Uninstall Merolin"));
    std::set<std::string> added, replaced;
    for (const std::string& p : expected) {
        bool existed = false;
        for (const auto& kv : before)
            if (Lower(kv.first) == Lower(p))
                existed = true;
        (existed ? replaced : added).insert(p);
    }
    for (const char* t : {"Merolin", "Merolin Help", "Uninstall Merolin"}) // a previous installation's, gone
        if (!(where & kCurrentUser)) // (never the machine's, for the user)
            replaced.insert(LinkPath(Join(ProgramsDir(!allUsers), "Merolin"), t));
    ExpectChanges(before, after, added, replaced);
}

// Install pressed, the completion question answered; the installer ends with 0.
void InstallToTheEnd(Process& p, HWND dlg, int answer)
{
    Press(dlg, kInstall);
    ExpectBox(p, kCompleteCaption, kCompleteText, "Yes No", answer);
    DWORD code = p.WaitExit(30000, "after the completion question");
    Check(code == 0, "the installer's exit code is 0 (it is %lu)", code);
}

// The Cancel button (or Esc), confirmed; question and final notice as given.
void CancelConfirmed(Process& p, HWND dlg, bool anythingDone, const std::vector<std::string>& notes,
                     bool byEscape = false)
{
    if (byEscape) {
        Log("Esc in the installer dialog");
        PostMessageA(GetDlgItem(dlg, kTargetDir), WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        Press(dlg, kCancelBtn);
    }
    ExpectBox(p, "Cancel Install?",
              std::string(anythingDone ? "This will abort the installation of Merolin 1.31"
                                       : "Merolin will not be installed on your system") +
                  "\r\nDo you wish to cancel the installation?",
              "Yes No", IDYES);
    for (const std::string& n : notes)
        ExpectBox(p, "NOTE", n, "OK", IDOK);
    ExpectBox(p, "Installation Incomplete", "Merolin was not installed on your system", "OK", IDOK);
    DWORD code = p.WaitExit(30000, "after the cancel");
    Check(code == 4, "the installer's exit code is 4 (it is %lu)", code);
}

// Boxes of the installer, answered with OK until either the completion question is up
// (true) or the installer dialog is usable again with no box open (false).
bool Settle(Process& p, HWND dlg, std::vector<Box>& seen)
{
    ULONGLONG end = GetTickCount64() + 120000;
    ULONGLONG quietSince = 0;
    for (;;) {
        HWND box = NULL;
        for (HWND w : TopWindows(p.Id())) {
            std::string t = WindowText(w);
            if (ClassOf(w) == "#32770" && t != kInstallerTitle && !t.empty())
                box = w;
        }
        if (box) {
            quietSince = 0;
            Box b = WaitBox(p, WindowText(box));
            if (b.caption == kCompleteCaption)
                return true;
            seen.push_back(b);
            Answer(b, b.buttons == "OK" ? IDOK : IDYES);
            continue;
        }
        if (!p.Running())
            Fail("the installer ended while installing");
        if (IsWindowVisible(dlg) && IsWindowEnabled(dlg)) {
            if (!quietSince)
                quietSince = GetTickCount64();
            else if (GetTickCount64() - quietSince > 1500)
                return false;
        }
        if (GetTickCount64() > end)
            Fail("the installation neither finished nor failed");
        Sleep(50);
    }
}

// The program file of the process that started process pid; "" when that one has ended.
std::string ParentProgram(DWORD pid)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e = {};
    e.dwSize = sizeof e;
    std::map<DWORD, std::string> names;
    DWORD parent = 0;
    for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e)) {
        names[e.th32ProcessID] = e.szExeFile;
        parent = e.th32ProcessID == pid ? e.th32ParentProcessID : parent;
    }
    CloseHandle(snap);
    return names[parent];
}

// ---- runs from the command line ----

// A file in C:\windows\temp, outside the snapshots of drive C:. The path is made at each call:
// kept in a global std::string it was found empty in the i686 driver under the qemu guest's
// WoW64 prefix (every run of wow64_msi_install there), as if its constructor had not run.
std::string InLogDir(const char* name) { return std::string("C:\\windows\\temp\\") + name; }

// Runs the installer with these arguments and no one at the screen: any window of it
// fails the scenario. Returns its exit code. Without exe, args is the whole command line.
DWORD RunUnattended(const std::string& args, const std::string& exe = g_env->setupExe, const char* cwd = "C:\\Setup")
{
    Process p;
    p.Start(exe, args, cwd);
    for (; p.Running(); Sleep(10))
        for (HWND w : TopWindows(p.Id()))
            Fail("the run shows window \"%s\" (class %s)", WindowText(w).c_str(), ClassOf(w).c_str());
    return p.WaitExit(1000, "the unattended run");
}

// The log has these lines, each after today's date and a time and ended by CR LF: the
// first `head` of the start and the stages up to the payload, then the rest.
void ExpectLog(const std::string& path, const std::string& args, const std::vector<std::string>& rest, size_t head = 6)
{
    std::vector<std::string> want = {"Merolin 1.31 setup started: " + args,
                                     "Status: Stand by: Checking system parameters...",
                                     "Status: Stand by: Checking for previous installations...",
                                     "Status: To install Merolin, at least 500 Kb of free disk space is required.",
                                     "Status: Installing: Creating installation directory...",
                                     "Status: Installing: Installing application files..."};
    want.resize(head);
    want.insert(want.end(), rest.begin(), rest.end());
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof today, "%04u-%02u-%02u ", now.wYear, now.wMonth, now.wDay);
    std::string text = ReadFile(path);
    for (size_t at = 0, i = 0; at < text.size() || i < want.size(); ++i) {
        size_t end = text.find("\r\n", at);
        std::string line = end == std::string::npos ? text.substr(at) + " (no CR LF)" : text.substr(at, end - at);
        at = end == std::string::npos ? text.size() : end + 2;
        Check(i < want.size() && line.compare(0, 11, today) == 0 && line.size() > 20 && line[13] == ':' &&
                  line[16] == ':' && line.substr(19) == " " + want[i],
              "log line \"%s\"%s", Show(line).c_str(), i < want.size() ? (" is \"" + want[i] + "\"").c_str() : "");
    }
}

// The rest of the log of a complete installation, the completion question answered so.
std::vector<std::string> InstalledLog(const std::string& answer)
{
    return {"Status: Installing: Installing DeskTop shortcut...", "Status: Installing: Installing Start Menu shortcuts...",
            "Status: Installing: Updating system registry...",
            "Status: Installation complete: Merolin installed successfuly",
            "Box \"INSTALLATION COMLETE\": Merolin 1.31 has been successfully installed! Would you like to to run "
            "Merolin right now? -- answer: " + answer,
            "Exit code 0"};
}

// ---- the scenarios ----

// clean_install, run_after_install: a clean installation accepted to the end; the
// completion question answered No (nothing started) or Yes (the product starts from the
// target directory).
void CleanInstall(bool runIt)
{
    Snapshot before = TakeSnapshot();
    ExpectNoProductKeys();
    time_t t0 = time(nullptr);
    Process p;
    StartInstaller(p);
    PassGate(p);
    HWND dlg = InstallerDialog(p, kDefaultDir);
    InstallToTheEnd(p, dlg, runIt ? IDYES : IDNO);
    time_t t1 = time(nullptr);

    HWND product = NULL;
    if (runIt) {
        ULONGLONG end = GetTickCount64() + 30000;
        while (!product) {
            for (HWND w : TopWindows(0))
                if (WindowText(w) == "Merolin")
                    product = w;
            if (!product && GetTickCount64() > end)
                Fail("the product did not start: no window \"Merolin\"");
            Sleep(50);
        }
        Log("window \"Merolin\" of the started product is up");
        std::string dir = kDefaultDir;
        ExpectControlText(product, 100,
                          "Current directory: " + dir + "\r\nProgram: " + Join(dir, "Merolin.exe"));
        DWORD pid = 0;
        GetWindowThreadProcessId(product, &pid);
        // Started by the desktop's shell, with its rights, not by the (elevated) installer.
        std::string parent = ParentProgram(pid);
        Check(Lower(parent) == "explorer.exe", "the product was started by the shell (its parent: \"%s\")",
              parent.c_str());
        HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        PostMessageA(product, WM_CLOSE, 0, 0);
        Check(h && WaitForSingleObject(h, 20000) == WAIT_OBJECT_0, "the product closed again");
        if (h)
            CloseHandle(h);
    } else {
        Sleep(1000); // time for anything started by mistake to show up
        for (HWND w : TopWindows(0))
            Check(WindowText(w) != "Merolin", "nothing was started after No");
    }
    ExpectInstalled(before, kDefaultDir, t0, t1);
}

// refusals: at the welcome (Cancel, then the close box) and at the licence: each ends
// the installer with 4, leaves no window and writes nothing; meanwhile a second, silent
// installer given the same log ends at once with 1618, its lines between the first's.
void Refusals()
{
    Snapshot before = TakeSnapshot();
    {
        Log("-- Cancel at the welcome");
        const std::string log = InLogDir("shared.log"), first = "/LOG=" + log;
        Process p;
        p.Start(g_env->setupExe, first, "C:\\Setup");
        HWND w = Welcome(p);
        Check(RunUnattended("/S " + first) == 1618, "a second installer: 1618");
        Press(w, kCancelBtn);
        Check(p.WaitExit(20000, "after Cancel at the welcome") == 4, "exit code 4");
        ExpectLog(log, first, {"Merolin 1.31 setup started: /S " + first,
                               "Another installer of Merolin is running: nothing done", "Exit code 1618", "Exit code 4"}, 1);
        ExpectNoInstallerWindows();
    }
    {
        Log("-- the welcome's close box");
        Process p;
        StartInstaller(p);
        HWND w = Welcome(p);
        PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
        Log("closed \"%s\" with its close box", kWelcomeTitle);
        Check(p.WaitExit(20000, "after closing the welcome") == 4, "exit code 4");
        ExpectNoInstallerWindows();
    }
    {
        Log("-- Cancel at the licence");
        Process p;
        StartInstaller(p);
        Press(Welcome(p), kOkBtn);
        Press(License(p), kCancelBtn);
        Check(p.WaitExit(20000, "after Cancel at the licence") == 4, "exit code 4");
        ExpectNoInstallerWindows();
    }
    ExpectChanges(before, TakeSnapshot(), {});
    ExpectNoProductKeys();
}

// product_running: the product is running when the installer starts; once the gate
// has closed it (its boxes: tests/target/app), the installation goes on to the end.
void ProductRunning()
{
    MakeDirs("C:\\Setup\\StandIn");
    std::string standin = "C:\\Setup\\StandIn\\Merolin.exe";
    if (!CopyFileA((g_env->buildDir + "\\payload\\Merolin.exe").c_str(), standin.c_str(), FALSE))
        Fail("cannot copy the stand-in product to %s", standin.c_str());
    Snapshot before = TakeSnapshot();
    Process product;
    product.Start(standin, "", "C:\\Setup\\StandIn");
    WaitWindow(product, "Merolin");

    time_t t0 = time(nullptr);
    Process p;
    StartInstaller(p);
    PassGate(p);
    Answer(WaitBox(p, "NOTICE"), IDOK);
    Check(product.WaitExit(20000, "after the close request") == 0, "the product closed on the request");
    Answer(WaitBox(p, "OK"), IDOK);
    HWND dlg = InstallerDialog(p, kDefaultDir);
    InstallToTheEnd(p, dlg, IDNO);
    ExpectInstalled(before, kDefaultDir, t0, time(nullptr));
}

// The first letter from Q on that names no drive.
std::string MissingDrive()
{
    DWORD drives = GetLogicalDrives();
    for (char c = 'Q'; c <= 'Y'; ++c)
        if (!(drives & (1u << (c - 'A'))))
            return std::string(1, c) + ":";
    Fail("every drive letter from Q to Y is in use");
}

// bad_drive_then_good: Install into a drive that does not exist; then an install into a
// directory typed by its short name fails at a program-group link; then the same
// directory typed by its own name installs to the end, and nothing of it is taken for
// the failed attempt's.
void BadDriveThenGood()
{
    Snapshot before = TakeSnapshot();
    time_t t0 = time(nullptr);
    std::string drive = MissingDrive();
    Process p;
    HWND dlg = StartAndInstallInto(p, drive + "\\Merolin");
    ExpectBox(p, "ERROR", "Can't access drive " + drive, "OK", IDOK);
    ExpectBox(p, "ERROR", "Couldn't create installation directory!", "OK", IDOK);
    WaitEnabled(dlg);
    Check(IsWindowVisible(dlg) != FALSE, "the installer dialog stays open after the failure");
    std::string good = "C:\\Apps\\Merolin Suite", blocker = Join(Join(ProgramsDir(), "Merolin"), "Merolin Help.lnk");
    MakeDirs(good);
    MakeDirs(blocker);
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(good.c_str(), shortName, MAX_PATH);
    Check(Lower(shortName) != Lower(good) && DirExists(shortName), "%s is also %s", good.c_str(), shortName);
    Type(dlg, kTargetDir, shortName);
    Press(dlg, kInstall);
    ExpectBox(p, "ERROR", "Can't create Program Files icon group", "OK", IDOK);
    ExpectBox(p, "ERROR", "Couldn't create start menu help shortcut!", "OK", IDOK);
    WaitEnabled(dlg);
    RemoveDirectoryA(blocker.c_str());
    Type(dlg, kTargetDir, good);
    InstallToTheEnd(p, dlg, IDNO);
    ExpectInstalled(before, good, t0, time(nullptr));
}

// failed_then_cancel: Install fails part-way because a directory stands where the help
// file goes; Cancel rolls back: the target directory, which was there before, keeps
// only what the user had put there, and stays without a word.
// escape_after_failure: the same with Esc: once an attempt wrote something, Esc is
// Cancel.
void FailedThenCancel(bool byEscape)
{
    std::string dir = "C:\\Work\\Merolin";
    MakeDirs(Join(dir, "Merolin.hlp"));
    Snapshot before = TakeSnapshot();
    Process p;
    HWND dlg = StartAndInstallInto(p, dir);
    ExpectBox(p, "ERROR", "Can't rename installation file Merolin.hlp", "OK", IDOK);
    ExpectBox(p, "ERROR", "Couldn't install Merolin.hlp!", "OK", IDOK);
    WaitEnabled(dlg);
    Check(FileExists(Join(dir, "Merolin.exe")), "the program file was installed before the failure");
    CancelConfirmed(p, dlg, true, {}, byEscape);

    std::vector<std::string> left = ListDir(dir);
    std::string names;
    for (const auto& n : left)
        names += " " + n;
    Check(left.size() == 1 && left[0] == "Merolin.hlp" && DirExists(Join(dir, "Merolin.hlp")),
          "%s holds only the user's directory Merolin.hlp (it holds:%s)", dir.c_str(), names.c_str());
    ExpectChanges(before, TakeSnapshot(), {});
    ExpectNoProductKeys();
}

// trailing_space_then_good: a directory typed with a trailing space (the file system
// would drop it) is refused before anything is made; a good one then installs.
void TrailingSpaceThenGood()
{
    Snapshot before = TakeSnapshot();
    time_t t0 = time(nullptr);
    Process p;
    HWND dlg = StartAndInstallInto(p, "C:\\Apps\\Merolin ");
    ExpectBox(p, "ERROR", "Please specify a valid disk drive and path", "OK", IDOK);
    ExpectBox(p, "ERROR", "Couldn't create installation directory!", "OK", IDOK);
    WaitEnabled(dlg);
    Check(!DirExists("C:\\Apps"), "nothing was made for the refused directory");
    ExpectChanges(before, TakeSnapshot(), {});
    std::string good = "C:\\Apps\\Merolin";
    Type(dlg, kTargetDir, good);
    InstallToTheEnd(p, dlg, IDNO);
    ExpectInstalled(before, good, t0, time(nullptr));
}

// reinstall_custom_path: a reinstallation over an installation registered at a
// directory of its own.
// silent_reinstall: the same, silent, with a log that cannot be written: it goes into
// the previous installation's directory all the same, once its Merolin.exe has ended:
// while it runs with another title and no mutex (as in another session), the run ends
// with 1.
void Reinstall(bool silent)
{
    std::string dir = "C:\\Apps\\Tolvane Merolin 1.2";
    MakeDirs(Join(dir, "Results"));
    const char* oldFiles[] = {"Merolin.exe", "Merolin.hlp", "Merolin.txt", "Uninstall.exe"};
    for (const char* f : oldFiles)
        WriteFile(Join(dir, f), std::string("old ") + f + " of Merolin 1.2\r\n");
    const std::pair<const char*, const char*> userFiles[] = {
        {"notes.txt", "my notes\r\n"},
        {"My Tests.MR1", "a test of my own\r\n"},
        {"Results\\week1.MR1", "results of week 1\r\n"},
    };
    for (const auto& u : userFiles)
        WriteFile(Join(dir, u.first), u.second);
    // Folders at the names of the folder aside that a user made first (any user may write
    // a directory made by hand below C:\): they use none of them up.
    for (const char* n : {"", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
        if (silent)
            MakeDirs(Join(dir, std::string("MR.OLD") + n));
    PutRegString(kAppPathsKey, "", Join(dir, "Merolin.exe"));
    PutRegString(kAppPathsKey, "Path", dir);
    PutRegString(kUninstallKey, "DisplayName", "Merolin 1.2");
    PutRegString(kUninstallKey, "UninstallString", Join(dir, "Uninstall.exe"));
    PutRegString("SOFTWARE\\Tolvane Software\\Merolin\\1.2", "", "1000000000");
    std::string group = Join(ProgramsDir(), "Merolin");
    MakeDirs(group);
    for (const char* t : {"Merolin", "Merolin Help", "Uninstall Merolin"})
        WriteFile(LinkPath(group, t), "old link\r\n");
    std::string program = Join(dir, "Merolin.exe"), log = InLogDir("running.log");
    if (silent)
        CopyFileA((g_env->buildDir + "\\payload\\Uninstall.exe").c_str(), program.c_str(), FALSE);
    Snapshot before = TakeSnapshot();
    if (silent) {
        Process running;
        running.Start(program, "", dir);
        Box b = WaitBox(running, "Uninstall Merolin");
        Check(RunUnattended("/S /LOG=" + log) == 1, "exit code 1 while %s runs", program.c_str());
        ExpectChanges(before, TakeSnapshot(), {});
        Check(KeyExists(kAppPathsKey) && ReadFile(log).find(program + " (process " + std::to_string(running.Id()) +
                                                            ")\r\n") != std::string::npos, "the log names it");
        Answer(b, IDOK);
        running.WaitExit(20000, "after its box");
    }

    time_t t0 = time(nullptr);
    if (silent) {
        // A directory that is not absolute on a drive is a bad command line: nothing
        // of the previous installation is removed for it.
        for (const char* bad : {"/S /D=Merolin", "/S /D=C:\\Apps\\Merolin /LOG=C:\\x.log"})
            Check(RunUnattended(bad) == 3, "exit code 3 for %s", bad);
        ExpectChanges(before, TakeSnapshot(), {});
        Check(RegString(kAppPathsKey, "Path") == dir, "the previous installation is still registered");
        const std::string newer = "SOFTWARE\\Tolvane Software\\Merolin\\1.40", args = "/S /LOG=" + InLogDir("newer.log");
        PutRegString(newer, "", "1000000000");
        Check(RunUnattended(args) == 5, "exit code 5 over Merolin 1.40");
        ExpectChanges(before, TakeSnapshot(), {});
        Check(KeyExists(newer) && RegString(kAppPathsKey, "Path") == dir, "the newer installation is still registered");
        ExpectLog(InLogDir("newer.log"), args, {"Found Merolin 1.40, newer than 1.31: nothing done", "Exit code 5"}, 3);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, newer.c_str());

        // An upgrade that fails late (a folder stands where the last sample goes) gives
        // the previous installation back: its files, links and keys as they were.
        const std::string blocker = Join(dir, "Vocab_MULT.MR1"), record = "C:\\ProgramData\\Tolvane Software Setup\\MerolinSetup.rec";
        MakeDirs(blocker);
        Snapshot blocked = TakeSnapshot();
        Check(RunUnattended("/S") == 2, "exit code 2 for an upgrade that fails late");
        ExpectChanges(blocked, TakeSnapshot(), {});
        Check(RegString(kAppPathsKey, "Path") == dir && RegString(kUninstallKey, "DisplayName") == "Merolin 1.2" &&
                  KeyExists("SOFTWARE\\Tolvane Software\\Merolin\\1.2"), "the previous installation's keys are back");
        RemoveDirectoryA(blocker.c_str());

        // Cut short while the payload goes in (a file of the previous installation held
        // open keeps it there a while), then run again: the rerun gives the previous
        // installation back first, then upgrades it; nothing is left over.
        const std::string sample = Join(dir, "US-Caps_FITB.MR1"), cutLog = InLogDir("cut.log");
        WriteFile(sample, "an old sample\r\n");
        before = TakeSnapshot();
        {
            HANDLE held = CreateFileA(sample.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            Process cut;
            cut.Start(g_env->setupExe, "/S /LOG=" + cutLog, "C:\\Setup");
            for (int i = 0; i < 2000 && (!FileExists(cutLog) || ReadFile(cutLog).find("application files") ==
                                                                      std::string::npos); ++i)
                Sleep(5);
            Check(TerminateProcess(cut.Handle(), 1) != FALSE, "the run is cut short in its payload stage");
            cut.WaitExit(5000, "the run cut short");
            CloseHandle(held);
        }
        Check(FileExists(record) && !KeyExists(kAppPathsKey), "the cut run left its record, the old keys set aside");
        t0 = time(nullptr);
        Check(RunUnattended("/s /log=\"C:\\no such folder\\setup.log\"") == 0, "exit code 0");
        ExpectInstalled(before, dir, t0, time(nullptr), kAllUsers);
        Check(!DirExists(Join(dir, "MR.OLD10")) && ListDir(Join(dir, "MR.OLD")).empty() && !FileExists(record),
              "nothing set aside is left (the user's folders stay as they were), nor the record");
        Check(ListDir(group).empty(), "the old links of the user's group are gone");
        for (const auto& u : userFiles)
            Check(ReadFile(Join(dir, u.first)) == u.second, "the user's %s is untouched", u.first);
        return;
    }
    Process p;
    StartInstaller(p);
    PassGate(p);
    ConfirmOverwrite(p);
    HWND dlg = InstallerDialog(p, dir);
    for (const char* f : oldFiles)
        Check(!FileExists(Join(dir, f)), "the old %s is gone before Install", f);
    for (const char* t : {"Merolin", "Merolin Help", "Uninstall Merolin"})
        Check(!FileExists(LinkPath(group, t)), "the old link \"%s\" is gone before Install", t);
    InstallToTheEnd(p, dlg, IDNO);
    ExpectInstalled(before, dir, t0, time(nullptr));
    for (const auto& u : userFiles)
        Check(FileExists(Join(dir, u.first)) && ReadFile(Join(dir, u.first)) == u.second,
              "the user's %s is untouched", u.first);
}

// long_dir_120, long_dir_270: a directory typed by the user that is long: Install ends
// either in a complete installation or in clear failure messages; after a failure,
// Cancel leaves nothing of the product and no stray file anywhere on C:.
void LongDirectory(const std::string& dir)
{
    Log("directory of %u characters: %s", (unsigned)dir.size(), dir.c_str());
    Snapshot before = TakeSnapshot();
    time_t t0 = time(nullptr);
    Process p;
    HWND dlg = StartAndInstallInto(p, dir);
    std::vector<Box> boxes;
    if (Settle(p, dlg, boxes)) {
        Check(boxes.empty(), "a complete installation without any error box (%u seen)", (unsigned)boxes.size());
        Answer(WaitBox(p, kCompleteCaption), IDNO);
        Check(p.WaitExit(30000, "after the completion question") == 0, "exit code 0");
        ExpectInstalled(before, dir, t0, time(nullptr));
        return;
    }
    // A failure: the messages end with the fatal one of a stage, each a text of its own.
    static const char* const kFatal[] = {
        "Couldn't create installation directory!", "Couldn't install Merolin.exe!", "Couldn't install Merolin.hlp!",
        "Couldn't install Uninstall.exe!", "Couldn't install Merolin.txt!",
        "Couldn't create start menu program shortcut!", "Couldn't create start menu help shortcut!",
        "Couldn't create start menu uninstall shortcut!"};
    if (!Check(!boxes.empty(), "the failed installation said why"))
        return;
    bool fatalLast = false;
    for (const char* f : kFatal)
        fatalLast = fatalLast || boxes.back().text == f;
    Check(fatalLast && boxes.back().caption == "ERROR", "the last message is a stage's failure: \"%s\"",
          boxes.back().text.c_str());
    for (const Box& b : boxes)
        Check(!b.text.empty() && b.caption == "ERROR", "message \"%s\": \"%s\"", b.caption.c_str(),
              Show(b.text).c_str());
    Check(!FileExists(Join(dir, "MR.MSZ")) && !FileExists(Join(dir, "MR.XXX")),
          "no temporary file MR.MSZ or MR.XXX after the failure");

    // Cancel: the question, any notes about directories, the final notice.
    bool toldNotRemoved = false;
    Press(dlg, kCancelBtn);
    Box q = WaitBox(p, "Cancel Install?");
    Check(q.buttons == "Yes No", "the cancel question asks Yes or No");
    Answer(q, IDYES);
    for (;;) {
        Box b;
        HWND note = NULL;
        ULONGLONG end = GetTickCount64() + 30000;
        while (!note) {
            for (HWND w : TopWindows(p.Id())) {
                std::string t = WindowText(w);
                if (t == "NOTE" || t == "Installation Incomplete")
                    note = w;
            }
            if (!note && (!p.Running() || GetTickCount64() > end))
                Fail("no \"Installation Incomplete\" notice after the cancel");
            if (!note)
                Sleep(50);
        }
        b = WaitBox(p, WindowText(note));
        toldNotRemoved = toldNotRemoved || (b.caption == "NOTE" && b.text == "Unable to remove directory " + dir);
        Answer(b, IDOK);
        if (b.caption == "Installation Incomplete")
            break;
    }
    Check(p.WaitExit(30000, "after the cancel") == 4, "exit code 4");

    // Nothing of the product anywhere. The directories above the target directory that
    // the failed attempt made are not rolled back, and the target directory itself may
    // stay only when the installer said that it could not remove it. Anything in them
    // shows up as a new file or directory.
    Snapshot after = TakeSnapshot();
    std::set<std::string> mayStay;
    for (const std::string& d : Chain(dir))
        if (after.count(d) && !before.count(d) && (d != dir || toldNotRemoved))
            mayStay.insert(d);
    Log("%u directories of the typed path are left%s", (unsigned)mayStay.size(),
        toldNotRemoved ? " (the installer said it could not remove the target directory)" : "");
    ExpectChanges(before, after, mayStay);
    ExpectNoProductKeys();
}

// silent_install: a silent installation into a directory with spaces: no window at all,
// everything an interactive installation makes, and the log; then its silent removal.
void SilentInstall()
{
    const std::string dir = "C:\\Program Files\\Tolvane Merolin", log = InLogDir("Merolin setup.log");
    const std::string args = "/S /LOG=\"" + log + "\" /D=" + dir;
    // What a user could plant: any bytes where the record once was, and a journal of the
    // installer's own format (as if in its folder) that keeps a link in the Startup folder.
    const std::string oldPlace = "C:\\ProgramData\\MerolinSetup.rec", own = "C:\\ProgramData\\Tolvane Software Setup";
    const std::string startup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp";
    const std::string startupLink = startup + "\\Merolin.lnk";
    WriteFile(oldPlace, "not a record");
    CreateDirectoryA(own.c_str(), NULL);
    WriteFile(own + "\\MerolinSetup.rec", std::string("MRR\x03") + JournalEntry('F', 0, own) +
                                              JournalEntry('L', 0, startup, std::string("\x01\0", 2)) +
                                              JournalEntry('B', 1, "Merolin.lnk", std::string(28, '\0') + "forged"));
    Snapshot before = TakeSnapshot();
    before.erase(own + "\\MerolinSetup.rec"); // read, settled and gone
    time_t t0 = time(nullptr);
    Check(RunUnattended(args) == 0, "exit code 0");
    ExpectInstalled(before, dir, t0, time(nullptr), kAllUsers);
    Check(!FileExists(startupLink) && ReadFile(oldPlace) == "not a record", "nothing of the forgery is applied");
    std::vector<std::string> lines = {"Record of an interrupted run found: " + own + "\\MerolinSetup.rec",
                                      startup + " is not the installer's: not used",
                                      "Status: Stand by: Checking system parameters...",
                                      "Status: Stand by: Checking for previous installations...",
                                      "Status: To install Merolin, at least 500 Kb of free disk space is required.",
                                      "Status: Installing: Creating installation directory...",
                                      "Status: Installing: Installing application files..."};
    for (const std::string& line : InstalledLog("No (silent)"))
        lines.push_back(line);
    ExpectLog(log, args, lines, 1);
    WriteFile(Join(dir, "notes.txt"), "mine\r\n");
    Snapshot installed = TakeSnapshot();
    Process running;
    running.Start(Join(dir, "Uninstall.exe"), "", dir);
    Box b = WaitBox(running, "Uninstall Merolin");
    Check(RunUnattended("/S /REMOVE") == 1, "exit code 1 for /REMOVE while Uninstall.exe runs");
    ExpectChanges(installed, TakeSnapshot(), {});
    Answer(b, IDOK);
    running.WaitExit(20000, "after its box");
    const std::string removal = "/s \"/REMOVE\" /LOG=" + InLogDir("remove.log"), box = "Box \"Remove Merolin\": Merolin ";
    Check(RunUnattended(removal) == 0 && RunUnattended(removal) == 0, "exit code 0 for /REMOVE, twice");
    ExpectChanges(before, TakeSnapshot(), {dir, Join(dir, "notes.txt")});
    ExpectNoProductKeys();
    ExpectLog(InLogDir("remove.log"), removal, {"Box \"Note\": This will remove Merolin from this computer: Are you sure "
              "you want to continue? -- answer: Yes (silent)", box + "has been removed from this computer. -- answer: OK (silent)",
              "Exit code 0", "Merolin 1.31 setup started: " + removal, box + "is not installed on this computer. -- answer: OK "
              "(silent)", "Exit code 0"}, 1);
}

// silent_failure: a silent installation that fails at a sample file (a directory stands
// where the last one goes): the attempt goes on to its end, then exit code 2 and
// everything it wrote rolled back, the other samples and the vendor's keys included;
// the reasons in the log.
void SilentFailure()
{
    const std::string dir = "C:\\Work\\Merolin", log = InLogDir("failed.log");
    const std::string args = "/S /LOG=" + log + " /D=" + dir;
    const std::string group = Join(ProgramsDir(true), "Merolin");
    MakeDirs(Join(dir, "Vocab_MULT.MR1"));
    Snapshot before = TakeSnapshot();
    // First a download with one byte of a payload file changed (the last compressed
    // resource in the file: resources stand in the order of their numbers, the
    // licence's lowest): it changes nothing and says which resource is damaged.
    std::string image = ReadFile(g_env->setupExe);
    const size_t szdd = image.rfind("SZDD\x88\xF0\x27\x33");
    Check(szdd != std::string::npos, "the exe carries compressed resources");
    image[szdd + 200] ^= 0x20;
    const std::string damaged = "C:\\Setup\\damaged.exe", damagedLog = InLogDir("damaged.log");
    WriteFile(damaged, image);
    Check(RunUnattended("/S /LOG=" + damagedLog + " /D=" + dir, damaged) == 2, "exit code 2 for a damaged exe");
    DeleteFileA(damaged.c_str());
    ExpectChanges(before, TakeSnapshot(), {});
    Check(ReadFile(damagedLog).find("Setup file damaged: resource 1") != std::string::npos, "the log names the resource");
    Check(RunUnattended(args) == 2, "exit code 2");
    ExpectChanges(before, TakeSnapshot(), {});
    ExpectNoProductKeys();
    Check(!KeyExists("SOFTWARE\\Tolvane Software"), "no vendor key is left");
    ExpectLog(log, args,
              {"Box \"ERROR\": Can't rename installation file Vocab_MULT.MR1 -- answer: OK (silent)",
               "Box \"ERROR\": Couldn't install third sample test file! -- answer: OK (silent)",
               "Status: Installing: Installing DeskTop shortcut...",
               "Status: Installing: Installing Start Menu shortcuts...",
               "Status: Installing: Updating system registry...",
               "Box \"Cancel Install?\": This will abort the installation of Merolin 1.31 Do you wish to cancel the "
               "installation? -- answer: Yes (silent)",
               "Status: Stand by: Aborting installation...",
               "Removed " + Join(DesktopDir(true), "Merolin.lnk"), "Removed " + group + "\\Merolin.lnk",
               "Removed " + group + "\\Merolin Help.lnk", "Removed " + group + "\\Uninstall Merolin.lnk",
               "Removed " + Join(dir, "Merolin.exe"), "Removed " + Join(dir, "Merolin.hlp"),
               "Removed " + Join(dir, "Merolin.txt"), "Removed " + Join(dir, "Uninstall.exe"),
               "Removed " + Join(dir, "US-Caps_FITB.MR1"), "Removed " + Join(dir, "US-Caps_MULT.MR1"), "Removed " + CopyPath(false), "Removed " + group,
               "Box \"Installation Incomplete\": Merolin was not installed on your system -- answer: OK (silent)",
               "Exit code 2"});
}

// command_lines: bad command lines: silent ones end with 3 and write nothing but a good
// log's line; with windows, they (and /?) show the usage and end with 3. Then with
// windows, a log and a directory: the dialog proposes the directory, the log has the
// user's answer.
void CommandLines()
{
    const std::string dir = "C:\\Apps\\Chosen Merolin", log = InLogDir("with windows.log");
    Snapshot before = TakeSnapshot();
    const char* badWithLog = "\"/LOG=C:\\windows\\temp\\bad.log\" /s /D=";
    for (const char* bad : {"/S /X", badWithLog, "/S /?", "/S /LOG=\"C:\\a.log"})
        Check(RunUnattended(bad) == 3, "exit code 3 for %s", bad);
    // A log with a second name elsewhere is never written to: the run is as bad.
    WriteFile(InLogDir("kept.txt"), "kept");
    Check(CreateHardLinkA((InLogDir("linked.log")).c_str(), (InLogDir("kept.txt")).c_str(), NULL), "a hard link");
    Check(RunUnattended("/S /LOG=" + InLogDir("linked.log")) == 3, "exit code 3 for a linked log");
    Check(ReadFile(InLogDir("kept.txt")) == "kept", "the file the link leads to is unchanged");
    ExpectLog(InLogDir("bad.log"), "", {std::string("Bad command line: ") + badWithLog, "Exit code 3"}, 0);
    for (const char* usage : {"/?", "/q"}) {
        Process p;
        p.Start(g_env->setupExe, usage, "C:\\Setup");
        ExpectBox(p, "Install Merolin",
                  "MerolinSetup [/S] [/LOG=file] [/CURRENTUSER] [/NODESKTOP] [/D=directory | /REMOVE]\r\n\r\n/S\t"
                  "silent: no window, and the licence counts as accepted\r\n/LOG=file\tappend a log to the file\r\n"
                  "/CURRENTUSER\tfor the user who runs it, without administrator rights\r\n/NODESKTOP\tno desktop link, "
                  "also at later upgrades\r\n/D=directory\tinstall there (last, without quotes)\r\n/REMOVE\tremove "
                  "Merolin\r\n\r\nExit codes: 0 installed or removed, 1 Merolin running, 2 failed, 3 bad command line,"
                  "\r\n4 cancelled, 5 a newer version is installed, 740 no administrator rights,\r\n1618 another setup "
                  "is running",
                  "OK", IDOK);
        Check(p.WaitExit(20000, "after the usage") == 3, "exit code 3");
    }
    ExpectChanges(before, TakeSnapshot(), {});
    time_t t0 = time(nullptr);
    const std::string args = "/LOG=\"" + log + "\" /d=" + dir;
    Process p;
    p.Start(g_env->setupExe, args, "C:\\Setup");
    PassGate(p);
    InstallToTheEnd(p, InstallerDialog(p, dir), IDNO);
    ExpectInstalled(before, dir, t0, time(nullptr));
    ExpectLog(log, args, InstalledLog("No"));
}

// wow64_silent_install: the i686 exe run silently, without /D, in a 64-bit prefix, where
// it is a 32-bit program (WoW64): it goes into the program-files folder of 32-bit
// programs, and its keys into the 32-bit registry view (SOFTWARE\WOW6432Node seen from the
// 64-bit one), none into the 64-bit view.
// wow64_remove: the same, then removed with /S /REMOVE: neither key is left in the 32-bit
// view, nor the program in the folder.
void Wow64Install(bool remove)
{
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
        Fail("the driver runs as no 32-bit program of a 64-bit prefix: no WoW64 here");
    const std::string dir = "C:\\Program Files (x86)\\Merolin";
    Snapshot before = TakeSnapshot();
    time_t t0 = time(nullptr);
    Check(RunUnattended("/S") == 0, "exit code 0");
    ExpectInstalled(before, dir, t0, time(nullptr), kAllUsers);
    const std::string in64 = "SOFTWARE\\WOW6432Node\\";
    for (const char* key : {kUninstallKey, kVendorKey})
        Check(KeyExists(in64 + (key + 9), KEY_WOW64_64KEY), "HKLM\\%s%s is there in the 64-bit view", in64.c_str(),
              key + 9);
    for (const char* key : {kUninstallKey, kMakerKey})
        Check(!KeyExists(key, KEY_WOW64_64KEY), "no HKLM\\%s in the 64-bit view", key);
    if (!remove)
        return;
    Check(RunUnattended("/S /REMOVE") == 0, "exit code 0 for /S /REMOVE");
    for (const char* key : {kUninstallKey, kVendorKey})
        Check(!KeyExists(key, KEY_WOW64_32KEY), "no HKLM\\%s in the 32-bit view", key);
    Check(!FileExists(Join(dir, "Merolin.exe")), "no %s\\Merolin.exe", dir.c_str());
}

// quiet_uninstall: the uninstall entry's QuietUninstallString, run as a deployment tool
// runs it (from another folder): no window, exit code 0, and nothing of the product left
// but the copy it ran from, which goes at the next restart; the next silent installation
// deletes that copy first and ends with its own.
void QuietUninstall()
{
    Snapshot before = TakeSnapshot();
    // Meanwhile its file is swapped for another program, as whoever owns the folder it
    // was started from could do: before it runs a thing of its own (it fails and keeps
    // nothing), then, again and again, once its log shows it runs (it holds its file: the
    // copy it keeps is the installer itself, whether or not a swap got in as it ended).
    const std::string other = g_env->buildDir + "\\payload\\Merolin.exe", swapLog = InLogDir("swapped.log");
    const char* const renamed = "C:\\Setup\\renamed.exe";
    for (bool started : {false, true}) {
        DeleteFileA(swapLog.c_str());
        Process run;
        run.Start(g_env->setupExe, "/S /LOG=" + swapLog, "C:\\Setup", !started);
        for (; started && run.Running() && !FileExists(swapLog); Sleep(1)) {
        }
        bool swapped = false;
        for (; !swapped && (!started || run.Running()); Sleep(1)) {
            if ((swapped = MoveFileA(g_env->setupExe.c_str(), renamed)))
                CopyFileA(other.c_str(), g_env->setupExe.c_str(), FALSE);
            if (!started && !Check(swapped, "its file swapped before it ran"))
                break;
        }
        if (!started)
            run.Resume();
        const DWORD code = run.WaitExit(60000, "the silent run");
        MoveFileExA(renamed, g_env->setupExe.c_str(), MOVEFILE_REPLACE_EXISTING);
        Check(started ? code == 0 : code == 2 && !FileExists(CopyPath(false)), "exit code %lu, %s", code,
              started ? "swapped while it held its file" : "swapped before it ran: nothing kept");
    }
    Check(ReadFile(CopyPath(false)) == ReadFile(g_env->setupExe), "the kept copy is the installer, byte for byte");
    const std::string line = RegString(kUninstallKey, "QuietUninstallString"), copy = CopyPath(false);
    Check(RunUnattended(line, "", "C:\\windows\\temp") == 0, "exit code 0");
    ExpectChanges(before, TakeSnapshot(), {copy});
    ExpectNoProductKeys();
    char pending[8192] = "";
    DWORD size = sizeof pending;
    RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                 "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, NULL, pending, &size);
    Check(Lower(std::string(pending, size)).find(Lower("\\??\\" + copy) + std::string(2, '\0')) != std::string::npos,
          "PendingFileRenameOperations deletes %s at the next restart", copy.c_str());
    const std::string log = InLogDir("again.log");
    time_t t0 = time(nullptr);
    Check(RunUnattended("/S /LOG=" + log) == 0, "exit code 0 for /S again");
    ExpectInstalled(before, kDefaultDir, t0, time(nullptr), kAllUsers);
    Check(ReadFile(log).find(" Removed " + copy + "\r\n") != std::string::npos, "its log: Removed %s", copy.c_str());
}

// no_desktop: /S /NODESKTOP leaves the desktop link out, from either desktop, and the
// installation keeps that choice: a following /S, then a run with windows, leave it out.
void NoDesktop()
{
    Snapshot before = TakeSnapshot();
    for (const char* args : {"/S /NODESKTOP", "/S"}) {
        time_t t0 = time(nullptr);
        Check(RunUnattended(args) == 0, "exit code 0 for %s", args);
        ExpectInstalled(before, kDefaultDir, t0, time(nullptr), kAllUsers | kNoDesktop);
    }
    before = TakeSnapshot();
    time_t t0 = time(nullptr);
    Process p;
    StartInstaller(p);
    PassGate(p);
    ConfirmOverwrite(p);
    InstallToTheEnd(p, InstallerDialog(p, kDefaultDir), IDNO);
    ExpectInstalled(before, kDefaultDir, t0, time(nullptr), kNoDesktop);
}

// current_user: /S /CURRENTUSER installs into the user's places; again, over an older
// installation of the user's, it upgrades it (its copy of the installer too); /S /REMOVE
// /CURRENTUSER takes it away. The machine's installation, made first, stays as it was.
void CurrentUser()
{
    Check(RunUnattended("/S") == 0, "exit code 0 for the machine's installation");
    auto machineKeys = [] {
        RegValues all;
        for (const char* key : {kAppPathsKey, kUninstallKey, kMakerKey})
            RegTree(key, all);
        return all;
    };
    const RegValues machine = machineKeys();
    // A program of the user's left a journal in the user's folder that names the
    // machine's files and all users' desktop link as its own: an elevated run for the
    // user (every run under Wine is) leaves them alone.
    const std::string own = Join(common::ShellFolder(CSIDL_LOCAL_APPDATA), "Tolvane Software Setup");
    const std::string forged = Join(own, "MerolinSetup.rec"), log = InLogDir("user.log");
    MakeDirs(own);
    WriteFile(forged, std::string("MRR\x03") + JournalEntry('F', 0, own) + JournalEntry('S', 0, kDefaultDir) +
                          JournalEntry('N', 1, "Merolin.exe") + JournalEntry('N', 1, "Uninstall.exe") +
                          JournalEntry('L', 0, DesktopDir(true), std::string("\x02\0", 2)) + JournalEntry('N', 2, "Merolin.lnk"));
    Snapshot clean = TakeSnapshot();
    clean.erase(forged);  // read, settled and gone
    const std::string programs = Join(common::ShellFolder(CSIDL_LOCAL_APPDATA), "Programs"), dir = Join(programs, "Merolin");
    time_t t0 = time(nullptr);
    Check(RunUnattended("/S /CURRENTUSER /LOG=" + log) == 0, "exit code 0 for /S /CURRENTUSER");
    ExpectInstalled(clean, dir, t0, time(nullptr), kCurrentUser);
    Check(machineKeys() == machine, "the machine's %u key values are as they were", (unsigned)machine.size());
    for (const std::string& file : {Join(kDefaultDir, "Merolin.exe"), Join(kDefaultDir, "Uninstall.exe"),
                                    LinkPath(DesktopDir(true), "Merolin")})
        Check(FileExists(file), "the machine's %s is there", file.c_str());
    for (const std::string& place : {std::string(kDefaultDir), DesktopDir(true)})
        Check(ReadFile(log).find(" " + place + " is not the installer's: not used\r\n") != std::string::npos,
              "the log says %s is not the user's run's", place.c_str());

    // Made older by hand: the keys of 1.30, an older program and copy of its installer.
    const std::string older = "HKCU\\SOFTWARE\\Tolvane Software\\Merolin\\1.30", upgradeLog = InLogDir("upgrade.log");
    RegDeleteKeyA(HKEY_CURRENT_USER, kVendorKey);
    PutRegString(older, "", "1000000000");
    PutRegString(std::string("HKCU\\") + kUninstallKey, "DisplayVersion", "1.30");
    WriteFile(Join(dir, "Merolin.exe"), "Merolin 1.30\r\n");
    WriteFile(CopyPath(true), "the installer of Merolin 1.30\r\n");
    Snapshot before = TakeSnapshot();
    t0 = time(nullptr);
    Check(RunUnattended("/S /CURRENTUSER /LOG=" + upgradeLog) == 0, "exit code 0 over 1.30");
    ExpectInstalled(before, dir, t0, time(nullptr), kCurrentUser);
    Check(!KeyExists(older) && ReadFile(upgradeLog).find(" Found Merolin 1.30: upgrading\r\n") != std::string::npos,
          "1.30 was upgraded");
    Check(machineKeys() == machine, "the machine's %u key values are as they were", (unsigned)machine.size());

    Check(RunUnattended("/S /REMOVE /CURRENTUSER") == 0, "exit code 0 for /S /REMOVE /CURRENTUSER");
    ExpectChanges(clean, TakeSnapshot(), clean.count(programs) ? std::set<std::string>{} : std::set<std::string>{programs});
    ExpectNoProductKeys("HKCU\\");
    Check(machineKeys() == machine, "the machine's %u key values are as they were", (unsigned)machine.size());
}

// journal_folder_link: the installer's folder where the machine's journal goes is a link
// to a folder of a user's holding a journal: it is never opened through. The run keeps
// its journal and the installer's copy in the Windows directory's folder instead,
// installs, and removes through that copy; the user's folder stays as it was.
void JournalFolderLink()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string own = "C:\\ProgramData\\Tolvane Software Setup", mine = "C:\\users\\Public\\Documents\\Mine";
    const std::string copy = std::string(windows) + "\\Tolvane Software Setup\\MerolinSetup.exe", log = InLogDir("link.log");
    const std::string planted = "MRR\x09 a journal of a user's";
    MakeDirs(mine);
    WriteFile(Join(mine, "MerolinSetup.rec"), planted);
    UnixLink(own, mine);
    Check(RunUnattended("/S /LOG=" + log) == 0, "exit code 0");
    Check(ListDir(mine) == std::vector<std::string>{"MerolinSetup.rec"} && ReadFile(Join(mine, "MerolinSetup.rec")) == planted,
          "the user's folder is as it was");
    Check(ReadFile(log).find(" " + own + " is not the installer's: not used\r\n") != std::string::npos, "the log says so");
    Check(RegString(kUninstallKey, "QuietUninstallString") == "\"" + copy + "\" /S /REMOVE", "the copy is in %s",
          copy.c_str());
    Check(RunUnattended("/S /REMOVE") == 0 && !KeyExists(kUninstallKey) && !FileExists(Join(kDefaultDir, "Merolin.exe")),
          "removed through that copy");
}

// The package's ProductCode, as msi.dll reads it from its Property table.
std::string ProductCode(const std::string& msi)
{
    MSIHANDLE db = 0, view = 0, row = 0;
    char value[64] = "";
    DWORD size = sizeof value;
    bool ok = !MsiOpenDatabaseA(msi.c_str(), MSIDBOPEN_READONLY, &db) &&
              !MsiDatabaseOpenViewA(db, "SELECT `Value` FROM `Property` WHERE `Property` = 'ProductCode'", &view) &&
              !MsiViewExecute(view, 0) && !MsiViewFetch(view, &row) && !MsiRecordGetStringA(row, 1, value, &size);
    for (MSIHANDLE h : {row, view, db})
        MsiCloseHandle(h);
    return ok ? value : (Fail("no ProductCode in %s", msi.c_str()), "");
}

// msi_install: the Windows Installer package as deployment tools run it (msiexec /qn). With a
// quote in MEROLINLOG or over a newer Merolin it stops before the exe runs, changing nothing;
// over the package of 1.30 it installs what /S installs and replaces that package (hidden from
// the list of programs); msiexec /x fails without the installation's copy of the installer,
// then removes everything through that copy, all but that copy.
// wow64_msi_install: the same with the i686 package in a 64-bit prefix, where its exe writes the
// 32-bit registry view (Windows Installer its own entry: the 64-bit view on Windows, the
// driver's under Wine).
void MsiInstall(bool wow64)
{
    const std::string msiexec = "C:\\windows\\system32\\msiexec.exe", msi = g_env->buildDir + "\\dist\\MerolinSetup.msi";
    const std::string setupLog = InLogDir("msi setup.log"), kept = "C:\\ProgramData\\Tolvane Software Setup\\MerolinSetup.exe";
    const std::string arp = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ProductCode(msi);
    const std::string older = g_env->buildDir + "\\tests\\e2e\\MerolinSetup-1.30.msi", log = " /qn MEROLINLOG=\"" + setupLog + "\"";
    Snapshot before = TakeSnapshot();
    // The quote in the package's Property table: Wine's msi drops every quote of a command line's property.
    const std::string quoted = InLogDir("quoted.msi");
    MSIHANDLE db = 0, view = 0;
    Check(CopyFileA(msi.c_str(), quoted.c_str(), FALSE) && !MsiOpenDatabaseA(quoted.c_str(), MSIDBOPEN_TRANSACT, &db) &&
              !MsiDatabaseOpenViewA(db, "INSERT INTO `Property` (`Property`, `Value`) VALUES ('MEROLINLOG', "
                                        "'C:\\x.log\" \"/D=C:\\users\\Public\\M')", &view) &&
              !MsiViewExecute(view, 0) && !MsiCloseHandle(view) && !MsiDatabaseCommit(db) && !MsiCloseHandle(db) &&
              RunUnattended("/i \"" + quoted + "\" /qn", msiexec) == 1603, "msiexec stops for a quote in MEROLINLOG");
    std::string newer = InLogDir("MerolinSetup.exe"), image = ReadFile(g_env->setupExe);
    image[image.find("\xBD\x04\xEF\xFE") + 8] = 40;  // VS_FIXEDFILEINFO: the file version's minor number
    WriteFile(newer, image);
    PutRegString("SOFTWARE\\Tolvane Software\\Merolin", "InstallerCopy", newer);
    DWORD failed = RunUnattended("/i \"" + msi + "\"" + log + " /l*v " + InLogDir("msi.log"), msiexec);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMakerKey);
    ExpectChanges(before, TakeSnapshot(), {});
    Check(failed == 1603 && !KeyExists(kUninstallKey) && !KeyExists(arp) && !FileExists(setupLog) &&
              ReadFile(InLogDir("msi.log")).find(": MerolinNewer.") != std::string::npos, "MerolinNewer stops msiexec over 1.40 (%lu)", failed);
    std::string olderArp = arp.substr(0, arp.rfind('\\') + 1) + ProductCode(older);
    Check(RunUnattended("/i \"" + older + "\" /qn", msiexec) == 0 && KeyExists(olderArp), "the package of 1.30 installs");
    time_t t0 = time(nullptr);
    Check(RunUnattended("/i \"" + msi + "\"" + log, msiexec) == 0, "msiexec installs the package of 1.31 over it");
    ExpectInstalled(before, wow64 ? "C:\\Program Files (x86)\\Merolin" : kDefaultDir, t0, time(nullptr), kAllUsers);
    Check(RegDword(arp, "SystemComponent") == 1 && !KeyExists(olderArp), "only %s is registered, as a system component", arp.c_str());
    const std::string remove = "/x " + arp.substr(arp.rfind('\\') + 1) + log;
    Check(DeleteFileA(kept.c_str()) && RunUnattended(remove, msiexec) == 1603 && KeyExists(kUninstallKey) && KeyExists(arp),
          "msiexec /x fails with the kept copy gone; Merolin and the package stay");
    Check(CopyFileA(g_env->setupExe.c_str(), kept.c_str(), TRUE) && RunUnattended(remove, msiexec) == 0, "msiexec /x: exit code 0");
    ExpectChanges(before, TakeSnapshot(), {kept});  // the copy the removal ran from goes at the next restart
    ExpectNoProductKeys();
    Check(!KeyExists(arp) && ReadFile(setupLog).find("has been removed from this computer.") != std::string::npos,
          "the package is no longer registered; the kept copy removed Merolin and logged it");
}

std::string Padded(std::string head, size_t length, char fill)
{
    while (head.size() < length)
        head += fill;
    return head;
}

} // namespace

std::vector<Scenario> Scenarios()
{
    return {
        {"clean_install", [] { CleanInstall(false); }},
        {"run_after_install", [] { CleanInstall(true); }},
        {"refusals", Refusals},
        {"product_running", ProductRunning},
        {"bad_drive_then_good", BadDriveThenGood},
        {"failed_then_cancel", [] { FailedThenCancel(false); }},
        {"escape_after_failure", [] { FailedThenCancel(true); }},
        {"trailing_space_then_good", TrailingSpaceThenGood},
        {"reinstall_custom_path", [] { Reinstall(false); }},
        {"silent_install", SilentInstall},
        {"silent_reinstall", [] { Reinstall(true); }},
        {"silent_failure", SilentFailure},
        {"command_lines", CommandLines},
        {"quiet_uninstall", QuietUninstall},
        {"no_desktop", NoDesktop},
        {"current_user", CurrentUser},
        {"journal_folder_link", JournalFolderLink},
        {"wow64_silent_install", [] { Wow64Install(false); }},
        {"wow64_remove", [] { Wow64Install(true); }},
        {"msi_install", [] { MsiInstall(false); }},
        {"wow64_msi_install", [] { MsiInstall(true); }},
        {"long_dir_120", [] { LongDirectory(Padded("C:\\Merolin long directory ", 120, 'x')); }},
        {"long_dir_270",
         [] {
             LongDirectory(Padded("C:\\Merolin very long directory ", 103, 'a') + "\\" +
                           Padded("second level ", 100, 'b') + "\\" + Padded("third level ", 66, 'c'));
         }},
    };
}

void SetEnv(const Env& env) { g_env = &env; }

} // namespace e2e
