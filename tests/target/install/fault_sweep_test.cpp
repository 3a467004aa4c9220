// The fault sweep: a whole install (the opening included) is run once without a fault,
// then once for each call that run made, with that call failing: a call is named by its
// function and its count among that function's calls ("the 3rd _chdir"), so that every
// machine fails the same calls. What varies with the machine, the process list, is a
// fixed one. After each run that leaves the view open, Cancel is pressed. Every run must
// end without a crash and leave a state the installer can answer for:
//   - a run that did not complete showed at least one box;
//   - a run that completed installed every required file and the program group;
//   - after the Cancel, what is left of the product is only what the rollback
//     leaves on purpose: the sample files, the desktop link, parent directories,
//     program-group links made before a failure at the help or uninstall link, and
//     a target directory that is not empty (or was never recorded as made);
//   - nothing changed outside the target directory, the program group, the desktop
//     and the product's registry keys.
// The same over a previous installation (an upgrade): every run that does not
// complete, and every run cut short at any call and then settled by the next run,
// leaves that installation exactly as it was.
#include "flow_fixture.h"
#include "running_image.h"
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdio.h>

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    for (const std::string& n : names)
        if (lstrcmpiA(n.c_str(), name.c_str()) == 0)
            return true;
    return false;
}

// A call of a run: its function, and its count among that function's calls.
struct Call {
    AfxCallId id;
    long nth;
};

// Every call that the run under faults has made so far.
std::vector<Call> CallsMade(const PlatformFaults& faults)
{
    std::vector<Call> calls;
    for (int id = 0; id < AFX_CALL_COUNT; ++id)
        for (long nth = 1; nth <= faults.Count((AfxCallId)id); ++nth)
            calls.push_back({ (AfxCallId)id, nth });
    return calls;
}

// The process list, the same on every machine: this program, and another one, which
// is opened as this program is. The system's entries are still looked up, through
// the table, as the real ones are.
const DWORD kOtherProcessId = 0x7FFFFF00;
BOOL ListedProcess(int index, LPPROCESSENTRY32 entry)
{
    if (index > 1)
        return FALSE;
    entry->th32ProcessID = index ? kOtherProcessId : ::GetCurrentProcessId();
    lstrcpyA(entry->szExeFile, index ? "other.exe" : "install_tests.exe");
    return TRUE;
}
int g_listed;
BOOL WINAPI FirstListed(HANDLE, LPPROCESSENTRY32 entry)
{
    return sys::FindProcess32First() && ListedProcess(g_listed = 0, entry);
}
BOOL WINAPI NextListed(HANDLE, LPPROCESSENTRY32 entry)
{
    return sys::FindProcess32Next() && ListedProcess(++g_listed, entry);
}
HANDLE WINAPI OpenListed(DWORD access, BOOL inherit, DWORD id)
{
    return ::OpenProcess(access, inherit, id == kOtherProcessId ? ::GetCurrentProcessId() : id);
}
void ListFixedProcesses(PlatformFaults& faults)
{
    faults.Forward().Process32First = FirstListed;
    faults.Forward().Process32Next = NextListed;
    faults.Forward().OpenProcess = OpenListed;
}

// The listing of dir without the entries below the given top-level names.
std::vector<std::string> TreeWithout(const std::string& dir, const std::set<std::string>& skipped)
{
    std::vector<std::string> out;
    for (const std::string& entry : ListTree(dir)) {
        std::string top = entry.substr(0, entry.find('\\'));
        if (!skipped.count(top))
            out.push_back(entry);
    }
    return out;
}

struct Surroundings {
    std::vector<std::string> base, root, programFiles, desktop, startMenu;
};

class FaultSweepTest : public testing::Test {
protected:
    void SetUp() override
    {
        ops::OpenRunningImage();  // as the installer does at start: the kept copy is made from it
        ResetProgressFlags();
        RemoveProductKeys();
        scratch.reset(new ScratchDir("FaultSweep"));
        target = *scratch / "Apps\\Merolin";
        group = std::string(kMachineScope.LinkFolder(ops::CScope::kUserGroup));
        RemoveTree(group);
        desktopLink = DesktopDir() + "\\Merolin.lnk";
        ::DeleteFileA(desktopLink.c_str());
        // Product-named files beside the installation that must never be touched.
        ASSERT_TRUE(::CreateDirectoryA((*scratch / "Keep").c_str(), NULL));
        for (const char* name : kRequiredFiles)
            WriteWholeFile(*scratch / "Keep\\" + name, "mine");
        WriteWholeFile(*scratch / "Merolin.exe", "mine");
        before = Look();
    }
    void TearDown() override
    {
        Clean();
        scratch.reset();
    }

    Surroundings Look() const
    {
        Surroundings s;
        s.base = TreeWithout(scratch->Path(), { "Apps" });
        s.root = ListDir("C:");
        s.programFiles = ListTree("C:\\Program Files");
        s.desktop = ListDir(DesktopDir());
        s.desktop.erase(std::remove(s.desktop.begin(), s.desktop.end(), "Merolin.lnk"), s.desktop.end());
        s.startMenu = ListDir(common::ProgramsDir());
        s.startMenu.erase(std::remove(s.startMenu.begin(), s.startMenu.end(), "Merolin"), s.startMenu.end());
        return s;
    }
    void Clean()
    {
        // Whatever a run made in the scratch directory goes, not only the installation.
        ::SetCurrentDirectoryA(scratch->Path().c_str());
        for (const std::string& name : ListDir(scratch->Path()))
            if (name != "Keep" && name != "Merolin.exe")
                RemoveTree(*scratch / name);
        ::DeleteFileA(desktopLink.c_str());
        RemoveTree(group);
        ::DeleteFileA(kMachineScope.JournalFolder(0) + "\\" + kInstallerCopyName);
        RemoveProductKeys();
        ResetProgressFlags();
    }

    // A previous installation in the target directory: program files (one hidden),
    // a sample, a file of the user's, the group's links, the desktop link, the keys.
    void PlantPrevious()
    {
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, target.c_str(), NULL));
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, group.c_str(), NULL));
        for (const char* name : { "Merolin.exe", "Merolin.hlp", "Uninstall.exe", "Merolin.txt", "US-Caps_FITB.MR1",
                                  "notes.txt" })
            WriteWholeFile(target + "\\" + name, std::string("1.20 ") + name);
        ::SetFileAttributesA((target + "\\Merolin.hlp").c_str(), FILE_ATTRIBUTE_HIDDEN);
        for (const char* link : kGroupLinks)
            WriteWholeFile(group + "\\" + link, std::string("1.20 ") + link);
        WriteWholeFile(desktopLink, "1.20 desktop link");
        RegPutString(kAppPathsKey, "", target + "\\Merolin.exe");
        RegPutString(kAppPathsKey, "Path", target);
        RegPutString(kUninstallKey, "DisplayName", "Merolin 1.20");
        RegPutString(kUninstallKey, "DisplayVersion", "1.20");
        RegPutString("SOFTWARE\\Tolvane Software\\Merolin\\1.20", "", "1000000000");
    }
    std::string State() const { return InstallationState({ target, group, DesktopDir() }); }
    // An upgrade over the planted installation, with faults set by the caller. The flow
    // ends (settling its record) while the faults still hold.
    struct Upgraded {
        bool completed = false, fired = false;
        std::string failed;       // the first call that failed
        std::vector<Call> calls;  // every call the run made
    };
    Upgraded Upgrade(const std::function<void(PlatformFaults&)>& setFaults)
    {
        ScriptedBoxes boxes;
        boxes.AnswerAnyWith(IDYES);
        std::vector<ShellExecuteCall> started;
        PlatformFaults faults;
        RecordShellExecute(faults, &started);
        ListFixedProcesses(faults);
        faults.Forward().CoInitialize = RecordingCoInitialize;
        setFaults(faults);
        Upgraded run;
        {
            CRunOptions options;
            FakeView view;
            CInstallFlow flow(view, options, kMachineScope);
            if (flow.Open()) {
                view.target = target;
                flow.Install();
                run.completed = !view.IsOpen();
                if (!run.completed)
                    flow.Cancel();
            }
        }
        run.fired = faults.Fired();
        run.failed = faults.FirstFailed();
        run.calls = CallsMade(faults);
        return run;
    }
    // After an upgrade that completed: the new installation, nothing of the old one
    // set aside (an empty folder aside whose removal failed may stay: the next run's
    // uses it and removes it), no record left.
    void ExpectUpgraded()
    {
        EXPECT_EQ(PayloadLength(kPayloadTable[0].nResourceId), ReadWholeFile(target + "\\Merolin.exe").size());
        EXPECT_EQ("1.20 notes.txt", ReadWholeFile(target + "\\notes.txt"));
        EXPECT_TRUE(!DirExists(target + "\\MR.OLD") || ListDir(target + "\\MR.OLD").empty());
        EXPECT_EQ("1.31", RegString(kUninstallKey, "DisplayVersion"));
        EXPECT_EQ("Merolin 1.31", RegString(kUninstallKey, "DisplayName"));
        EXPECT_FALSE(FileExists(JournalPath()));
    }

    std::unique_ptr<ScratchDir> scratch;
    std::string target, group, desktopLink;
    Surroundings before;
};

TEST_F(FaultSweepTest, EveryFailingCallLeavesAStateTheInstallerAnswersFor)
{
    std::map<std::string, int> faultsByCall;
    int completedWithFault = 0, cancelled = 0, endedOpening = 0;
    std::vector<Call> calls;  // those of the clean run, the first
    for (size_t i = 0; i <= calls.size(); ++i) {
        Clean();
        const bool clean = i == 0;
        const Call fault = clean ? Call{} : calls[i - 1];
        SCOPED_TRACE(clean ? "the run without a fault" : "run with " + NthCall(fault.id, fault.nth) + " failing");
        bool fired = false, opened = false, completed = false;
        std::vector<ShellExecuteCall> started;
        ScriptedBoxes boxes;
        boxes.AnswerAnyWith(IDYES);  // Yes to the free-space warning and to Cancel; OK elsewhere
        CRunOptions options;
        FakeView view;
        CInstallFlow flow(view, options, kMachineScope);
        {
            PlatformFaults faults;
            RecordShellExecute(faults, &started);
            ListFixedProcesses(faults);
            faults.Forward().CoInitialize = RecordingCoInitialize;  // given back after each run
            if (!clean)
                faults.Fail(fault.id, fault.nth);
            opened = flow.Open() != FALSE;
            if (opened) {
                view.target = target;
                flow.Install();
                completed = !view.IsOpen();
            }
            fired = faults.Fired();
            if (clean)
                calls = CallsMade(faults);
        }
        EXPECT_EQ(!clean, fired) << "the run up to the failing call was not the clean run's";
        if (fired)
            ++faultsByCall[g_afxCallNames[fault.id]];
        const std::vector<int> flags = ProgressFlags();

        if (!opened) {
            ++endedOpening;
            EXPECT_FALSE(boxes.Seen().empty()) << "the run ended at its opening without a word";
            EXPECT_FALSE(DirExists(*scratch / "Apps"));
        } else if (completed) {
            completedWithFault += fired;
            ASSERT_FALSE(boxes.Seen().empty());
            EXPECT_EQ("INSTALLATION COMLETE", boxes.Seen().back().caption);
            for (int row = 0; row < 4; ++row) {
                std::string path = target + "\\" + kPayloadTable[row].pszFileName;
                EXPECT_EQ(PayloadLength(kPayloadTable[row].nResourceId), ReadWholeFile(path).size()) << path;
            }
            for (const char* link : kGroupLinks)
                EXPECT_TRUE(FileExists(group + "\\" + link)) << link;
            EXPECT_EQ(std::vector<int>(7, 1), flags);
            EXPECT_EQ(fault.id == AFX_CALL_ShellExecuteA && fired ? 0u : 1u, started.size());
        } else {
            EXPECT_FALSE(boxes.Seen().empty()) << "an install stopped without a word";
            EXPECT_TRUE(started.empty());
            ++cancelled;
            flow.Cancel();
            EXPECT_FALSE(view.IsOpen()) << "the cancel ended the view";
            EXPECT_EQ("Installation Incomplete", boxes.Seen().back().caption);
            EXPECT_EQ(flags, ProgressFlags());

            // Only the samples may stay in the target directory; an empty one is gone
            // unless the directory stage never recorded it.
            if (DirExists(target)) {
                std::vector<std::string> left = ListDir(target);
                for (const std::string& name : left)
                    EXPECT_TRUE(Contains(std::vector<std::string>(kSampleFiles, kSampleFiles + 3), name))
                        << "left in the target directory: " << name;
                EXPECT_TRUE(!left.empty() || !flags[0]) << "an empty target directory stayed";
            }
            // The program group was made by the install: it goes with every link in it.
            EXPECT_FALSE(DirExists(group)) << "left in the program group: " << ::testing::PrintToString(ListTree(group));
            EXPECT_FALSE(RegKeyExists(kVendorVersionKey));
            EXPECT_FALSE(RegKeyExists(kAppPathsKey));
            EXPECT_FALSE(RegKeyExists(kUninstallKey));
        }

        const Surroundings after = Look();
        EXPECT_EQ(before.base, after.base) << "something changed beside the installation";
        EXPECT_EQ(before.root, after.root);
        EXPECT_EQ(before.programFiles, after.programFiles);
        EXPECT_EQ(before.desktop, after.desktop);
        EXPECT_EQ(before.startMenu, after.startMenu);

        UninitializeRecordedCom();
        if (testing::Test::HasFatalFailure())
            return;
        if (clean)
            ASSERT_TRUE(completed) << "the run without a fault did not complete";
    }

    std::string byCall;
    for (const auto& entry : faultsByCall)
        byCall += " " + entry.first + "=" + std::to_string(entry.second);
    printf("fault sweep: %d faults injected, one for each platform call of a clean run; %d runs cancelled, "
           "%d completed despite the fault, %d ended at the opening\nfaults by call:%s\n",
           (int)calls.size(), cancelled, completedWithFault, endedOpening, byCall.c_str());
    RecordProperty("faults_injected", (int)calls.size());
    EXPECT_GT(calls.size(), 100u);
}

// A run that does not complete, whichever call failed, gives the previous
// installation back whole; where it could not settle its record itself, the next
// run's repair does.
TEST_F(FaultSweepTest, EveryFailingCallOfAnUpgradeGivesThePreviousInstallationBack)
{
    int completedWithFault = 0, repaired = 0;
    std::vector<Call> calls;  // those of the clean upgrade, the first
    for (size_t i = 0; i <= calls.size(); ++i) {
        Clean();
        PlantPrevious();
        const std::string previous = State();
        const bool clean = i == 0;
        const Call fault = clean ? Call{} : calls[i - 1];
        SCOPED_TRACE(clean ? "the upgrade without a fault" : "upgrade with " + NthCall(fault.id, fault.nth) + " failing");
        const Upgraded run = Upgrade([&](PlatformFaults& faults) {
            if (!clean)
                faults.Fail(fault.id, fault.nth);
        });
        UninitializeRecordedCom();
        EXPECT_EQ(!clean, run.fired) << "the upgrade up to the failing call was not the clean one's";
        EXPECT_TRUE(run.completed || !clean);
        if (FileExists(JournalPath())) {
            ++repaired;
            EXPECT_TRUE(RepairInterruptedRun(kMachineScope));
        }
        if (run.completed)
            ExpectUpgraded();
        else
            EXPECT_EQ(previous, State());
        if (testing::Test::HasFailure())
            return;
        if (clean)
            calls = run.calls;
        completedWithFault += !clean && run.completed;
    }
    printf("upgrade sweep: %d faults, %d completed despite the fault, %d records settled by the next run\n",
           (int)calls.size(), completedWithFault, repaired);
    EXPECT_GT(calls.size(), 100u);
}

// Cut short anywhere (at every fifth call), an upgrade leaves a record from which the
// next run gives back the previous installation, or finishes the new one when the
// registry stage was done.
TEST_F(FaultSweepTest, AnUpgradeCutShortAnywhereIsSettledByTheNextRun)
{
    int cuts = 0, finished = 0;
    for (long n = 1;; n += 5) {
        Clean();
        PlantPrevious();
        const std::string previous = State();
        const Upgraded run = Upgrade([n](PlatformFaults& faults) { faults.CutShortAtNthOfAll(n); });
        SCOPED_TRACE("upgrade cut short at call " + std::to_string(n) + ", " + run.failed);
        UninitializeRecordedCom();
        if (!run.fired) {
            EXPECT_TRUE(run.completed);
            break;
        }
        ++cuts;
        EXPECT_TRUE(RepairInterruptedRun(kMachineScope));
        if (RegString(kUninstallKey, "DisplayVersion") == "1.31") {
            ++finished;
            ExpectUpgraded();
        } else {
            EXPECT_EQ(previous, State());
        }
        if (testing::Test::HasFailure())
            return;
    }
    printf("upgrade cut short at %d calls, %d of them after the registry stage\n", cuts, finished);
    EXPECT_GT(cuts, 40);
    EXPECT_GT(finished, 0);
}

} // namespace
