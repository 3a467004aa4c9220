// Cancel: the question, the rollback of what the progress flags record,
// and the end of the view. Each fatal stage of the install sequence is made to
// fail, checked, and then cancelled. The rollback never deletes anything the
// install did not write.
#include "flow_fixture.h"

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using testing::UnorderedElementsAreArray;

namespace {

class CancelTest : public FlowTest {
protected:
    // Cancel with Yes at the question; the rollback's own boxes are expected by the caller.
    void ConfirmCancel()
    {
        flow.Cancel();
        EXPECT_EQ("Stand by:\r\nAborting installation...", Status());
        EXPECT_FALSE(ViewOpen());
        EXPECT_TRUE(view.cancelPending);
    }
};

// One fatal stage: how it is made to fail, what the user sees, and what is left
// after the failure and after the cancel that follows it.
struct FatalStage {
    const char* name;
    AfxCallId call;
    int nth;
    std::vector<std::pair<std::string, UINT>> boxes;  // text and type, caption "ERROR" unless a question
    std::vector<int> flags;
    const char* status;
    int requiredFilesLeft;    // rows of the payload in place after the failure (-1: no directory)
    bool samples;             // the three sample files are there
    bool desktopLink;
    int groupLinks;           // program-group links made before the failure (-1: no folder)
};

const char kDirectoryStatus[] = "Installing:\r\nCreating installation directory...";
const char kFilesStatus[] = "Installing:\r\nInstalling application files...";
const char kGroupStatus[] = "Installing:\r\nInstalling Start Menu shortcuts...";
const char kCorrupted[] = "Setup file appears to be corrupted!";
const char kNoLink[] = "Can't create Program Files link";

const FatalStage kFatalStages[] = {
    { "DriveRefused", AFX_CALL__chdrive, 1,
      { { "Can't access drive C:", MB_ICONINFORMATION }, { "Couldn't create installation directory!", MB_ICONSTOP } },
      { 0, 0, 0, 0, 0, 0, 0 }, kDirectoryStatus, -1, false, false, -1 },
    { "FreeSpaceQuestionDeclined", AFX_CALL_GetDiskFreeSpaceExA, 1,
      { { "?Cannot determine the amount of free space on drive C:\r\nDo you want to procede with the installation anyway?",
          MB_YESNO | MB_ICONQUESTION },
        { "Couldn't create installation directory!", MB_ICONSTOP } },
      { 0, 0, 0, 0, 0, 0, 0 }, kDirectoryStatus, -1, false, false, -1 },
    { "ProgramFile", AFX_CALL_FindResourceA, 1,
      { { kCorrupted, MB_ICONINFORMATION }, { "Couldn't install Merolin.exe!", MB_ICONSTOP } },
      { 1, 0, 0, 0, 0, 0, 0 }, kFilesStatus, 0, false, false, -1 },
    { "HelpFile", AFX_CALL_FindResourceA, 2,
      { { kCorrupted, MB_ICONINFORMATION }, { "Couldn't install Merolin.hlp!", MB_ICONSTOP } },
      { 1, 1, 0, 0, 0, 0, 0 }, kFilesStatus, 1, false, false, -1 },
    { "Uninstaller", AFX_CALL_FindResourceA, 3,
      { { kCorrupted, MB_ICONINFORMATION }, { "Couldn't install Uninstall.exe!", MB_ICONSTOP } },
      { 1, 1, 1, 0, 0, 0, 0 }, kFilesStatus, 2, false, false, -1 },
    { "Readme", AFX_CALL_FindResourceA, 4,
      { { kCorrupted, MB_ICONINFORMATION }, { "Couldn't install Merolin.txt!", MB_ICONSTOP } },
      { 1, 1, 1, 1, 0, 0, 0 }, kFilesStatus, 3, false, false, -1 },
    { "WindowsDirectory", AFX_CALL_GetWindowsDirectoryA, 3,  // the first two: the owner of the journal's folder, the desktop's
      { { "Can't access Windows directory!", MB_ICONSTOP } },
      { 1, 1, 1, 1, 1, 0, 0 }, kFilesStatus, 4, true, false, -1 },
    { "ProgramLink", AFX_CALL_CoCreateInstance, 2,
      { { kNoLink, MB_ICONINFORMATION }, { "Couldn't create start menu program shortcut!", MB_ICONSTOP } },
      { 1, 1, 1, 1, 1, 0, 0 }, kGroupStatus, 4, true, true, 0 },
    { "HelpLink", AFX_CALL_CoCreateInstance, 3,
      { { kNoLink, MB_ICONINFORMATION }, { "Couldn't create start menu help shortcut!", MB_ICONSTOP } },
      { 1, 1, 1, 1, 1, 0, 0 }, kGroupStatus, 4, true, true, 1 },
    { "UninstallLink", AFX_CALL_CoCreateInstance, 4,
      { { kNoLink, MB_ICONINFORMATION }, { "Couldn't create start menu uninstall shortcut!", MB_ICONSTOP } },
      { 1, 1, 1, 1, 1, 0, 0 }, kGroupStatus, 4, true, true, 2 },
};

class FatalStageTest : public CancelTest, public testing::WithParamInterface<FatalStage> {};

TEST_P(FatalStageTest, StopsWithItsFlagsAndCancelUndoesThem)
{
    const FatalStage& stage = GetParam();
    {
        PlatformFaults faults;
        faults.Fail(stage.call, stage.nth);
        for (const auto& box : stage.boxes) {
            if (box.first[0] == '?')
                boxes.Expect("WARNING", box.first.substr(1), box.second, IDNO);
            else
                boxes.Expect("ERROR", box.first, box.second, IDOK);
        }
        flow.Install();
        EXPECT_TRUE(faults.Fired());
    }

    // The failure: the view stays open with the stage's status and flags.
    ASSERT_TRUE(ViewOpen());
    EXPECT_EQ(stage.flags, ProgressFlags());
    EXPECT_EQ(stage.status, Status());
    EXPECT_FALSE(view.cancelPending);
    std::vector<std::string> files;
    for (int i = 0; i < stage.requiredFilesLeft; ++i)
        files.push_back(kRequiredFiles[i]);
    if (stage.samples)
        files.insert(files.end(), kSampleFiles, kSampleFiles + 3);
    EXPECT_EQ(stage.requiredFilesLeft >= 0, DirExists(target));
    EXPECT_THAT(TargetFiles(), UnorderedElementsAreArray(files));
    EXPECT_EQ(stage.desktopLink, DesktopLinkExists());
    std::vector<std::string> links(kGroupLinks, kGroupLinks + std::max(stage.groupLinks, 0));
    EXPECT_EQ(stage.groupLinks >= 0, DirExists(group));
    EXPECT_THAT(GroupFiles(), UnorderedElementsAreArray(links));
    EXPECT_FALSE(AnyProductKey());

    // The cancel: every file and link made, and the directories the install made, go
    // (the samples with the program files).
    const bool anyFlag = stage.flags[0] != 0;
    ExpectCancelQuestion(anyFlag, IDYES);
    ExpectIncomplete();
    ConfirmCancel();

    EXPECT_FALSE(DirExists(target));
    EXPECT_FALSE(DirExists(*scratch / "Apps")) << "made by the install";
    EXPECT_FALSE(DesktopLinkExists());
    EXPECT_FALSE(DirExists(group));
    EXPECT_EQ(stage.flags, ProgressFlags()) << "the rollback never changes the flags";
}

INSTANTIATE_TEST_SUITE_P(Stages, FatalStageTest, testing::ValuesIn(kFatalStages),
                         [](const testing::TestParamInfo<FatalStage>& info) { return std::string(info.param.name); });

TEST_F(CancelTest, BeforeAnyInstallDeletesNothing)
{
    // Product-named files of the user's own in the proposed directory stay.
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, target.c_str(), NULL));
    for (const char* name : kRequiredFiles)
        WriteWholeFile(target + "\\" + name, "mine");
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, group.c_str(), NULL));
    WriteWholeFile(group + "\\Merolin.lnk", "mine");
    RegPutString(kAppPathsKey, "Path", target);
    view.statuses.clear();

    ExpectCancelQuestion(false, IDYES);
    ExpectIncomplete();
    ConfirmCancel();

    EXPECT_THAT(view.statuses, ElementsAre("Stand by:\r\nAborting installation..."));
    EXPECT_EQ(4u, TargetFiles().size());
    EXPECT_EQ("mine", ReadWholeFile(target + "\\Merolin.exe"));
    EXPECT_TRUE(FileExists(group + "\\Merolin.lnk"));
    EXPECT_EQ(target, RegString(kAppPathsKey, "Path"));
    for (const SeenBox& box : boxes.Seen())
        EXPECT_EQ(view.owner, box.hOwner) << box.text;
}

// No at the question: nothing changes, and Install then runs to its completion.
TEST_F(CancelTest, RefusedCancelLeavesEverythingAndInstallCompletes)
{
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_FindResourceA, 4);
        ExpectReport(kCorrupted);
        ExpectFatal("Couldn't install Merolin.txt!");
        flow.Install();
    }
    const std::vector<int> flags = ProgressFlags();
    const std::vector<std::string> files = TargetFiles();
    ASSERT_EQ(3u, files.size());

    view.statuses.clear();
    ExpectCancelQuestion(true, IDNO);
    flow.Cancel();

    EXPECT_FALSE(view.cancelPending);
    EXPECT_TRUE(ViewOpen());
    EXPECT_THAT(view.statuses, IsEmpty());
    EXPECT_EQ(flags, ProgressFlags());
    EXPECT_EQ(files, TargetFiles());

    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_FALSE(ViewOpen());
    EXPECT_EQ(7u, TargetFiles().size());
    EXPECT_EQ(target, RegString(kAppPathsKey, "Path"));
}

// A target directory that was there before the install is the user's: it keeps
// their file and stays, without a "NOTE" box. The program link made before the
// failure at the help link goes, and so does the program group the install made.
TEST_F(CancelTest, DirectoryThatWasThereStaysWithoutANote)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, target.c_str(), NULL));
    WriteWholeFile(target + "\\notes.txt", "mine");
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_CoCreateInstance, 3);
        ExpectReport(kNoLink);
        ExpectFatal("Couldn't create start menu help shortcut!");
        flow.Install();
    }
    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    ConfirmCancel();

    EXPECT_THAT(TargetFiles(), ElementsAre("notes.txt"));
    EXPECT_EQ("mine", ReadWholeFile(target + "\\notes.txt"));
    EXPECT_FALSE(DirExists(group));
    EXPECT_FALSE(DesktopLinkExists());
}

// Everything flagged: after an install that ran to its end while Cancel was pressed,
// the rollback undoes every stage, the samples and the
// directories included. The vendor's version key goes; the vendor key, which was
// there before, stays.
TEST_F(CancelTest, RollbackOfEveryStage)
{
    RegPutString("SOFTWARE\\Tolvane Software\\Merolin\\1.20", "", "older");
    view.cancelPending = TRUE;  // Cancel pressed while the install runs: no completion
    flow.Install();
    ASSERT_EQ((std::vector<int>{ 1, 1, 1, 1, 1, 1, 1 }), ProgressFlags());
    ASSERT_TRUE(RegKeyExists(kVendorVersionKey));

    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    ConfirmCancel();

    EXPECT_FALSE(DirExists(group)) << "the empty program group is removed";
    EXPECT_FALSE(DirExists(target));
    EXPECT_FALSE(DesktopLinkExists());
    EXPECT_FALSE(RegKeyExists(kVendorVersionKey));
    EXPECT_TRUE(RegKeyExists(kVendorKey));
    EXPECT_TRUE(RegKeyExists("SOFTWARE\\Tolvane Software\\Merolin\\1.20"));
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(kUninstallKey));
    EXPECT_TRUE(RegKeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"));
    EXPECT_TRUE(RegKeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
}

// The rollback's steps in their order: the links the run made (only those: a link in
// another folder is not the run's); the program, help, readme and uninstaller files
// (not the install's order), then the samples; the extraction's temporary files; the
// program group's folder and the target directory; then the application path, the
// uninstall entry and the vendor's tree, with the maker's key the install made.
std::vector<std::string>* g_rollbackCalls;

int __cdecl RecordRemove(const char* path)
{
    g_rollbackCalls->push_back(std::string("remove ") + path);
    return g_afxSystemCalls.remove(path);
}

int __cdecl RecordRmdir(const char* path)
{
    g_rollbackCalls->push_back(std::string("rmdir ") + path);
    return g_afxSystemCalls._rmdir(path);
}

LONG WINAPI RecordRegDeleteKey(HKEY parent, LPCSTR name)
{
    g_rollbackCalls->push_back(std::string("regdelete ") + name);
    return g_afxSystemCalls.RegDeleteKeyA(parent, name);
}

TEST_F(CancelTest, RollbackUndoesTheStagesInTheirOrder)
{
    view.cancelPending = TRUE;  // Cancel pressed while the install runs: no completion
    flow.Install();
    ASSERT_EQ((std::vector<int>{ 1, 1, 1, 1, 1, 1, 1 }), ProgressFlags());
    WriteWholeFile(target + "\\notes.txt", "mine");  // keeps the directory, so its NOTE shows in order

    std::vector<std::string> calls;
    const std::string setup(kMachineScope.JournalFolder(0));  // the installer's copy is there
    g_rollbackCalls = &calls;
    {
        PlatformFaults faults;
        faults.Forward().remove = RecordRemove;
        faults.Forward()._rmdir = RecordRmdir;
        faults.Forward().RegDeleteKeyA = RecordRegDeleteKey;
        ExpectCancelQuestion(true, IDYES);
        ExpectNote(target);
        ExpectIncomplete();
        ConfirmCancel();
    }
    g_rollbackCalls = nullptr;

    EXPECT_THAT(calls, ElementsAre("remove " + DesktopDir() + "\\Merolin.lnk", "remove " + group + "\\Merolin.lnk",
                                   "remove " + group + "\\Merolin Help.lnk", "remove " + group + "\\Uninstall Merolin.lnk",
                                   "remove " + target + "\\Merolin.exe", "remove " + target + "\\Merolin.hlp",
                                   "remove " + target + "\\Merolin.txt", "remove " + target + "\\Uninstall.exe",
                                   "remove " + target + "\\" + kSampleFiles[0], "remove " + target + "\\" + kSampleFiles[1],
                                   "remove " + target + "\\" + kSampleFiles[2], "remove " + setup + "\\MerolinSetup.exe",
                                   "remove " + target + "\\MR.MSZ", "remove " + target + "\\MR.XXX",
                                   "rmdir " + group, "rmdir " + target,
                                   "regdelete Merolin.exe", "regdelete Merolin", "regdelete 1.31", "regdelete Merolin",
                                   "regdelete SOFTWARE\\Tolvane Software",
                                   "remove " + JournalPath()));
    EXPECT_THAT(TargetFiles(), ElementsAre("notes.txt"));
    EXPECT_FALSE(RegKeyExists(kVendorVersionKey));
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(kUninstallKey));
}

// A program group that holds other programs' entries (as the fixed default
// "C:\Windows\Start Menu\Programs" does) loses only the product's links and stays,
// without a "NOTE" box: the install did not make it.
TEST_F(CancelTest, SharedProgramGroupFolderIsNotRemoved)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, group.c_str(), NULL));
    WriteWholeFile(group + "\\Other.lnk", "other");
    view.cancelPending = TRUE;
    flow.Install();
    ASSERT_EQ(4u, GroupFiles().size());

    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    ConfirmCancel();
    EXPECT_THAT(GroupFiles(), ElementsAre("Other.lnk"));
}

// Two failed installs into two directories, then a third directory typed into the
// field: the rollback cleans exactly the files each install made, where it made
// them. A product-named file that was there is set aside before it is replaced, and
// comes back; everything in the directory shown when Cancel is pressed stays.
TEST_F(CancelTest, NeverDeletesWhatTheInstallDidNotWrite)
{
    const std::string first = target;
    const std::string second = *scratch / "Second";
    const std::string shown = *scratch / "Shown";
    for (const std::string& dir : { second, shown }) {
        ASSERT_EQ(0, SHCreateDirectoryExA(NULL, dir.c_str(), NULL));
        for (const char* name : kRequiredFiles)
            WriteWholeFile(dir + "\\" + name, "mine");
    }
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_FindResourceA, 4);  // first: fails at Merolin.txt
        ExpectReport(kCorrupted);
        ExpectFatal("Couldn't install Merolin.txt!");
        flow.Install();

        TypeTarget(second);
        faults.Fail(AFX_CALL_FindResourceA, 2);  // second: fails at Merolin.hlp
        ExpectReport(kCorrupted);
        ExpectFatal("Couldn't install Merolin.hlp!");
        flow.Install();
    }
    ASSERT_EQ("MZ", ReadWholeFile(second + "\\Merolin.exe").substr(0, 2)) << "the second install replaced it";
    ASSERT_EQ("mine", ReadWholeFile(second + "\\MR.OLD\\Merolin.exe"));
    TypeTarget(shown);

    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    ConfirmCancel();

    EXPECT_FALSE(DirExists(first));
    EXPECT_THAT(ListDir(second), UnorderedElementsAreArray(kRequiredFiles));
    for (const char* name : kRequiredFiles)
        EXPECT_EQ("mine", ReadWholeFile(second + "\\" + name)) << name;
    EXPECT_THAT(ListDir(shown), UnorderedElementsAreArray(kRequiredFiles));
    for (const char* name : kRequiredFiles)
        EXPECT_EQ("mine", ReadWholeFile(shown + "\\" + name)) << name;
}

// A payload file whose write fails half-way leaves the extraction's temporary file in
// the target directory; the rollback removes it with the directory. A failed rename
// leaves nothing: the extraction removes its expanded file itself.
// Fails the writing of a compressed payload file (its data begin with "SZDD"), no other.
static BOOL WINAPI FailPayloadWrite(HANDLE h, LPCVOID data, DWORD n, LPDWORD written, LPOVERLAPPED o)
{
    return n >= 4 && !memcmp(data, "SZDD", 4) ? FALSE : g_afxSystemCalls.WriteFile(h, data, n, written, o);
}

TEST_F(CancelTest, TemporaryFilesOfAFailedExtractionGoWithTheDirectory)
{
    struct Case { void (*fault)(PlatformFaults&); const char* report; const char* left; };
    for (const Case& c : { Case{ [](PlatformFaults& f) { f.Forward().WriteFile = FailPayloadWrite; },
                                 "Insufficient space, or disk error", "MR.MSZ" },
                           Case{ [](PlatformFaults& f) { f.Fail(AFX_CALL_rename, 1); },
                                 "Can't rename installation file Merolin.exe", nullptr } }) {
        SCOPED_TRACE(c.report);
        ResetProgressFlags();
        {
            PlatformFaults faults;
            c.fault(faults);
            ExpectReport(c.report);
            ExpectFatal("Couldn't install Merolin.exe!");
            flow.Install();
        }
        if (c.left)
            ASSERT_THAT(TargetFiles(), ElementsAre(c.left));
        else
            ASSERT_THAT(TargetFiles(), IsEmpty());
        ExpectCancelQuestion(true, IDYES);
        ExpectIncomplete();
        ConfirmCancel();
        EXPECT_FALSE(DirExists(target));
        view.hidden = false;  // the same view serves the second case
        view.ending = FakeView::kNotEnded;
        view.cancelPending = FALSE;
    }
}

// The same directory typed in another letter case is one directory: it is removed
// once, without a "NOTE" box for the second spelling.
TEST_F(CancelTest, SameDirectoryInAnotherCaseIsCleanedOnce)
{
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_FindResourceA, 2);
        ExpectReport(kCorrupted);
        ExpectFatal("Couldn't install Merolin.hlp!");
        flow.Install();
        std::string upper = target;
        for (char& c : upper)
            c = (char)toupper((unsigned char)c);
        TypeTarget(upper);
        faults.Fail(AFX_CALL_FindResourceA, 3);
        ExpectReport(kCorrupted);
        ExpectFatal("Couldn't install Uninstall.exe!");
        flow.Install();
    }
    ASSERT_EQ(2u, TargetFiles().size());
    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    ConfirmCancel();
    EXPECT_FALSE(DirExists(target));
}

} // namespace
