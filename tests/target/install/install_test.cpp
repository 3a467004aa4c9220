// Install: a whole installation, the status line stage by stage, the completion
// question and the start of the product, the stages that may fail and go on, and a
// retry after a failure. The fatal stages, each followed by Cancel, are in
// cancel_test.cpp.
#include "flow_fixture.h"
#include "path.h"
#include "install_log.h"
#include "run_mode.h"
#include <sddl.h>

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using testing::UnorderedElementsAre;
using testing::UnorderedElementsAreArray;

namespace {

const std::vector<int> kAllFlags = { 1, 1, 1, 1, 1, 1, 1 };

class InstallTest : public FlowTest {
protected:
    // Every payload file in the target directory, with the length its resource announces.
    void ExpectAllFiles(bool samples = true)
    {
        std::vector<std::string> expected(kRequiredFiles, kRequiredFiles + 4);
        if (samples)
            expected.insert(expected.end(), kSampleFiles, kSampleFiles + 3);
        EXPECT_THAT(TargetFiles(), UnorderedElementsAreArray(expected));
        for (int row = 0; row < kPayloadFileCount; ++row) {
            std::string path = target + "\\" + kPayloadTable[row].pszFileName;
            if (FileExists(path))
                EXPECT_EQ(PayloadLength(kPayloadTable[row].nResourceId), ReadWholeFile(path).size()) << path;
        }
        EXPECT_EQ("MZ", ReadWholeFile(target + "\\Merolin.exe").substr(0, 2));
    }
    void ExpectRegistered()
    {
        EXPECT_EQ(target, RegString(kAppPathsKey, "Path"));
        EXPECT_EQ(target + "\\Merolin.exe", RegString(kAppPathsKey, ""));
        EXPECT_EQ("\"" + target + "\\Uninstall.exe\"", RegString(kUninstallKey, "UninstallString"));
        EXPECT_TRUE(RegKeyExists(kVendorVersionKey));
    }
};

TEST_F(InstallTest, CompleteInstallAsksToStartAndEndsOnNo)
{
    PlatformFaults faults;
    std::vector<ShellExecuteCall> started;
    RecordShellExecute(faults, &started);
    view.statuses.clear();
    ExpectCompletion(IDNO);

    flow.Install();

    EXPECT_THAT(view.statuses, ElementsAre("Installing:\r\nCreating installation directory...",
                                            "Installing:\r\nInstalling application files...",
                                            "Installing:\r\nInstalling DeskTop shortcut...",
                                            "Installing:\r\nInstalling Start Menu shortcuts...",
                                            "Installing:\r\nUpdating system registry...",
                                            "Installation complete:\r\nMerolin installed successfuly"));
    EXPECT_EQ(kAllFlags, ProgressFlags());
    ExpectAllFiles();
    EXPECT_THAT(GroupFiles(), UnorderedElementsAreArray(kGroupLinks));
    EXPECT_TRUE(DesktopLinkExists());
    ExpectRegistered();
    ASSERT_EQ(1u, boxes.Seen().size());
    EXPECT_EQ(view.owner, boxes.Seen()[0].hOwner);
    EXPECT_FALSE(ViewOpen());
    EXPECT_THAT(started, IsEmpty());
    EXPECT_EQ(0, faults.Count(AFX_CALL_ShellExecuteA));
}

TEST_F(InstallTest, CompletionYesStartsTheProgramInTheTargetDirectory)
{
    PlatformFaults faults;
    std::vector<ShellExecuteCall> started;
    RecordShellExecute(faults, &started);
    ExpectCompletion(IDYES);

    flow.Install();

    ASSERT_EQ(1u, started.size());
    EXPECT_EQ(NULL, started[0].hOwner);
    EXPECT_EQ("open", started[0].verb);
    EXPECT_EQ(target + "\\Merolin.exe", started[0].file);
    EXPECT_FALSE(started[0].hasParameters);
    EXPECT_EQ(target, started[0].directory);
    EXPECT_EQ(SW_SHOWNORMAL, started[0].show);
    EXPECT_TRUE(FileExists(started[0].file));
    EXPECT_FALSE(ViewOpen());
}

// A product that cannot be started is not reported; the view ends as usual.
TEST_F(InstallTest, ProductThatCannotStartIsNotReported)
{
    PlatformFaults faults;
    WithoutDesktopShell(faults);
    faults.Fail(AFX_CALL_ShellExecuteA);
    ExpectCompletion(IDYES);
    flow.Install();
    EXPECT_EQ(1, faults.Count(AFX_CALL_ShellExecuteA));
    EXPECT_FALSE(ViewOpen());
    EXPECT_EQ(1u, boxes.Seen().size());
}

// A directory whose files would not land where it says is refused before anything
// is made, with the words a bad drive gets; the view stays and takes a good one.
TEST_F(InstallTest, DirectoryWhoseFilesWouldLandElsewhereIsRefused)
{
    const std::string longest = *scratch / std::string(259 - scratch->Path().size() - 18, 'd');  // + "\\US-Caps_FITB.MR1"
    for (const std::string& dir : { *scratch / "Apps \\Merolin", *scratch / "Apps.\\Merolin", *scratch / "Apps\\.\\Merolin",
                                    *scratch / "Apps\\..\\Merolin", *scratch / "Ap:ps", *scratch / "Ap|ps",
                                    *scratch / "Ap?ps", *scratch / "Ap\tps", *scratch / "A/B", longest + "x" }) {
        SCOPED_TRACE(dir);
        TypeTarget(dir);
        ExpectReport("Please specify a valid disk drive and path");
        ExpectFatal("Couldn't create installation directory!");
        flow.Install();
        EXPECT_TRUE(ViewOpen());
        EXPECT_THAT(ListDir(scratch->Path()), IsEmpty()) << "nothing is made";
        EXPECT_EQ(std::vector<int>(7, 0), ProgressFlags());
    }
    TypeTarget(target);
    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_EQ(kAllFlags, ProgressFlags());
    ExpectAllFiles();
}

TEST_F(InstallTest, PendingCancelSkipsTheCompletion)
{
    PlatformFaults faults;
    std::vector<ShellExecuteCall> started;
    RecordShellExecute(faults, &started);
    view.cancelPending = TRUE;

    flow.Install();  // no box is expected

    EXPECT_EQ(kAllFlags, ProgressFlags());
    EXPECT_EQ("Installing:\r\nUpdating system registry...", Status());
    EXPECT_FALSE(ViewOpen());
    EXPECT_THAT(started, IsEmpty());
    ExpectAllFiles();
}

TEST_F(InstallTest, ExistingDirectoryIsAcceptedAndKeepsItsFiles)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, target.c_str(), NULL));
    WriteWholeFile(target + "\\notes.txt", "mine");
    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_EQ(1, g_bDirCreated);
    EXPECT_EQ("mine", ReadWholeFile(target + "\\notes.txt"));
    EXPECT_EQ(8u, TargetFiles().size());
}

// Each sample file that fails shows the operation's report and its own box; the
// others are still installed, and the install carries on to completion.
class SampleFailureTest : public InstallTest, public testing::WithParamInterface<int> {};

TEST_P(SampleFailureTest, ShowsItsBoxAndGoesOn)
{
    const int sample = GetParam();
    PlatformFaults faults;
    faults.Fail(AFX_CALL_FindResourceA, 5 + sample);  // payload rows 5 to 7
    ExpectReport("Setup file appears to be corrupted!");
    const char* const messages[] = { "Couldn't install first sample test file!", "Couldn't install second sample test file!",
                                     "Couldn't install third sample test file!" };
    boxes.Expect("ERROR", messages[sample], MB_ICONSTOP, IDOK);
    ExpectCompletion(IDNO);

    flow.Install();

    EXPECT_EQ(kAllFlags, ProgressFlags());
    EXPECT_FALSE(FileExists(target + "\\" + kSampleFiles[sample]));
    EXPECT_EQ(6u, TargetFiles().size());
    EXPECT_EQ(7, faults.Count(AFX_CALL_FindResourceA));
    EXPECT_THAT(GroupFiles(), UnorderedElementsAreArray(kGroupLinks));
    ExpectRegistered();
    EXPECT_FALSE(ViewOpen());
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFailureTest, testing::Values(0, 1, 2));

TEST_F(InstallTest, AllSampleFilesFailingStillCompletes)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_FindResourceA, 5, 3);
    for (const char* text : { "Couldn't install first sample test file!", "Couldn't install second sample test file!",
                              "Couldn't install third sample test file!" }) {
        ExpectReport("Setup file appears to be corrupted!");
        ExpectFatal(text);
    }
    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_EQ(kAllFlags, ProgressFlags());
    ExpectAllFiles(false);
}

// The desktop link reports its own failure only; the program group follows.
TEST_F(InstallTest, DesktopShortcutFailureGoesOn)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_CoCreateInstance, 1);
    view.statuses.clear();
    ExpectReport("Can't create Program Files link");
    ExpectCompletion(IDNO);

    flow.Install();

    EXPECT_FALSE(DesktopLinkExists());
    EXPECT_THAT(GroupFiles(), UnorderedElementsAreArray(kGroupLinks));
    EXPECT_EQ(kAllFlags, ProgressFlags());
    EXPECT_EQ(6u, view.statuses.size());
    EXPECT_FALSE(ViewOpen());
}

// A second press of Install after a failure runs every stage again; the flags of
// the first run stay set.
TEST_F(InstallTest, RetryAfterAFailureCompletes)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_FindResourceA, 4);  // Merolin.txt
    ExpectReport("Setup file appears to be corrupted!");
    ExpectFatal("Couldn't install Merolin.txt!");
    flow.Install();
    ASSERT_TRUE(ViewOpen());
    EXPECT_EQ((std::vector<int>{ 1, 1, 1, 1, 0, 0, 0 }), ProgressFlags());
    EXPECT_EQ("Installing:\r\nInstalling application files...", Status());

    view.statuses.clear();
    ExpectCompletion(IDNO);
    flow.Install();

    EXPECT_EQ("Installing:\r\nCreating installation directory...", view.statuses.at(0));
    EXPECT_EQ(11, faults.Count(AFX_CALL_FindResourceA));  // 4 + all 7 again
    EXPECT_EQ(kAllFlags, ProgressFlags());
    ExpectAllFiles();
    ExpectRegistered();
    EXPECT_FALSE(ViewOpen());
}

// A retry in another directory that completes leaves nothing of the failed attempt:
// its files and the directories made for it go, silently, before the question.
TEST_F(InstallTest, RetryElsewhereRemovesWhatTheFailedAttemptWrote)
{
    const std::string first = *scratch / "First\\Merolin";
    TypeTarget(first);
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_FindResourceA, 4);  // Merolin.txt
        ExpectReport("Setup file appears to be corrupted!");
        ExpectFatal("Couldn't install Merolin.txt!");
        flow.Install();
    }
    ASSERT_TRUE(FileExists(first + "\\Merolin.exe"));
    TypeTarget(target);
    ExpectCompletion(IDNO);
    flow.Install();
    EXPECT_FALSE(DirExists(*scratch / "First")) << "the failed attempt's directories are gone";
    ExpectAllFiles();
    ExpectRegistered();
}

// A registry write that fails is no success: the stage's message, the view stays,
// and Cancel removes the keys that the attempt did write.
TEST_F(InstallTest, RegistryFailureStopsAndCancelRemovesTheKeysWritten)
{
    // First the installer's copy, which a folder stands in the way of: nothing of the
    // registry is written.
    const std::string setup = (const char*)kMachineScope.JournalFolder(0), copy = setup + "\\MerolinSetup.exe";
    ASSERT_TRUE(::CreateDirectoryA(copy.c_str(), NULL));
    ExpectFatal("Can't keep a copy of the setup program in " + setup);
    flow.Install();
    ::RemoveDirectoryA(copy.c_str());
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    {
        PlatformFaults faults;
        faults.Fail(AFX_CALL_RegSetValueExA, 4);  // the uninstall entry's display name
        ExpectFatal("Couldn't update system registry!");
        flow.Install();
    }
    ASSERT_TRUE(ViewOpen());
    EXPECT_EQ((std::vector<int>{ 1, 1, 1, 1, 1, 1, 0 }), ProgressFlags());
    ASSERT_TRUE(RegKeyExists(kAppPathsKey));
    ExpectCancelQuestion(true, IDYES);
    ExpectIncomplete();
    flow.Cancel();
    EXPECT_FALSE(RegKeyExists("SOFTWARE\\Tolvane Software")) << "the vendor's keys that the install made go too";
    EXPECT_FALSE(RegKeyExists(kAppPathsKey));
    EXPECT_FALSE(RegKeyExists(kUninstallKey));
}

} // namespace

// COM already started on the thread (S_FALSE) is no failure: a second flow opens,
// and its end gives back only its own start.
TEST_F(InstallTest, ComStartedBeforeTheOpeningCountsAsStarted)
{
    ASSERT_EQ(S_FALSE, ::CoInitialize(NULL)) << "the fixture's flow started COM";
    {
        FakeView secondView;
        CInstallFlow second(secondView, options, kMachineScope);
        EXPECT_TRUE(second.Open()) << "the flow opened";
        EXPECT_TRUE(secondView.IsOpen());
    }
    ::CoUninitialize();
    EXPECT_EQ(S_FALSE, ::CoInitialize(NULL)) << "the fixture's flow still holds its start";
    ::CoUninitialize();
    ExpectCompletion(IDNO);
    flow.Install();
    ExpectAllFiles();
}

// A silent run answers and judges each box by its kind, whatever its caption says:
// it goes on at a question, declines an offer, and counts any error as a failure,
// also one after which the attempt goes on.
TEST(SilentRun, AnswersAndFailsByTheKindOfBoxNotItsWords)
{
    EXPECT_EXIT(
        {
            CRunOptions options;
            options.m_bSilent = TRUE;
            BeginRun(options, "/S");
            const bool bAnswers = AfxShowMessageBox(NULL, "?", kCompletionCaption, MB_YESNO, kBoxQuestion) == IDYES &&
                                  AfxShowMessageBox(NULL, "?", "Note", MB_YESNO, kBoxOffer) == IDNO &&
                                  AfxShowMessageBox(NULL, "!", kErrorCaption, MB_OKCANCEL, kBoxNotice) == IDOK;
            const bool bStillFine = !SilentRunFailed();
            AfxShowMessageBox(NULL, "sample", "Other", MB_OK, kBoxError);
            exit(bAnswers && bStillFine && SilentRunFailed() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

// The log is taken by its full path once and held open: a relative name stays where
// it was given, lines are appended after what the file held, the open log cannot be
// deleted (as the removal of a previous installation would try), and a device or a
// directory gives no log at all.
TEST_F(InstallTest, TheLogIsOneFileOnADiskHeldOpen)
{
    ASSERT_EQ(0, _chdir(scratch->Path().c_str()));
    WriteWholeFile(*scratch / "Merolin.log", "earlier run\r\n");
    {
        CInstallLog log;
        log.Open("Merolin.log");
        ASSERT_EQ(0, _chdir("C:\\"));
        log.Write("one\r\n\r\ntwo");
        EXPECT_FALSE(::DeleteFileA((*scratch / "Merolin.log").c_str()));
        EXPECT_TRUE(log.IsOpen());
        for (const char* none : { "COM1", "NUL", "C:\\windows" }) {
            CInstallLog other;
            other.Open(none);
            EXPECT_FALSE(other.IsOpen()) << none;
        }
    }
    const std::string text = ReadWholeFile(*scratch / "Merolin.log");
    EXPECT_EQ("earlier run\r\n", text.substr(0, 13));
    EXPECT_EQ(" one two\r\n", text.substr(text.size() - 10));
    EXPECT_FALSE(FileExists("C:\\Merolin.log"));
}

// A log this run must not write to is refused, and keeps what it holds: a link at the
// name, a file with a second name, one that somebody else made (its owner neither
// Administrators, SYSTEM nor this run's user) or whose owner cannot be read.
const char* g_logOwner;  // the owner the log's descriptor names, in SDDL; "": the call fails
BOOL WINAPI ForgedOwner(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR sd, DWORD n, LPDWORD needed)
{
    PSECURITY_DESCRIPTOR forged;
    if (!*g_logOwner || !ConvertStringSecurityDescriptorToSecurityDescriptorA((std::string("O:") + g_logOwner + "D:(A;;FA;;;SY)").c_str(),
                                                                               1, &forged, needed))
        return ::SetLastError(ERROR_ACCESS_DENIED), FALSE;
    memcpy(sd, forged, *needed <= n ? *needed : 0);
    return LocalFree(forged), *needed <= n;
}
BOOL WINAPI LinkInfo(HANDLE h, LPBY_HANDLE_FILE_INFORMATION info)
{
    return ::GetFileInformationByHandle(h, info) && (info->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST_F(InstallTest, ALogThatSomebodyElseShapedIsRefused)
{
    const struct { const char* owner; bool link, secondName, refused; } cases[] = {
        { nullptr, false, false, false }, { "SY", false, false, false }, { "BA", false, false, false },
        { "S-1-5-21-1-2-3-1001", false, false, true }, { "BU", false, false, true }, { "", false, false, true },
        { nullptr, true, false, true }, { nullptr, false, true, true } };
    const std::string log = *scratch / "Merolin.log", other = *scratch / "other.log";
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.owner ? c.owner : "-") << c.link << c.secondName);
        ::DeleteFileA(other.c_str());
        WriteWholeFile(log, "earlier\r\n");
        if (c.secondName)
            ASSERT_TRUE(::CreateHardLinkA(other.c_str(), log.c_str(), NULL));
        {
            PlatformFaults faults;
            if ((g_logOwner = c.owner))
                faults.Forward().GetKernelObjectSecurity = ForgedOwner;
            if (c.link)
                faults.Forward().GetFileInformationByHandle = LinkInfo;
            CInstallLog opened;
            EXPECT_EQ(!c.refused, !!opened.Open(log.c_str()));
            EXPECT_EQ(!c.refused, !!opened.IsOpen());
            opened.Write("a line");
        }
        EXPECT_EQ(!c.refused, ReadWholeFile(log).size() > 9) << ReadWholeFile(log);
    }
}

// A log that cannot be written is passed over: the install goes on and ends as
// without one.
int g_logWrites;
HANDLE g_hLog;
HANDLE WINAPI RememberLog(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how, DWORD flags,
                          HANDLE hTemplate)
{
    HANDLE h = ::CreateFileA(name, access, share, sa, how, flags, hTemplate);
    if (std::string(name).find("Merolin.log") != std::string::npos)
        g_hLog = h;
    return h;
}
BOOL WINAPI FailLogWrite(HANDLE hFile, LPCVOID pData, DWORD nData, LPDWORD pnWritten, LPOVERLAPPED pOverlapped)
{
    if (hFile == g_hLog) {
        ++g_logWrites;
        return FALSE;
    }
    return ::WriteFile(hFile, pData, nData, pnWritten, pOverlapped);
}
TEST_F(InstallTest, ALogThatCannotBeWrittenChangesNothing)
{
    const std::string log = *scratch / "Merolin.log";
    EXPECT_EXIT(
        {
            PlatformFaults faults;
            faults.Forward().CreateFileA = RememberLog;
            faults.Forward().WriteFile = FailLogWrite;
            g_installLog.Open(log.c_str());
            ExpectCompletion(IDNO);
            flow.Install();
            EXPECT_EQ(kAllFlags, ProgressFlags());
            ExpectAllFiles();
            ExpectRegistered();
            exit(g_logWrites > 0 && !view.IsOpen() && !HasFailure() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ("", ReadWholeFile(log));
}

// A record that cannot be made (a folder stands at its name) stops the install before
// it changes anything, and its box names the record.
TEST_F(InstallTest, ARecordThatCannotBeMadeIsNamedAndNothingChanges)
{
    const std::string record(JournalPath());
    ::CreateDirectoryA(std::string(ops::ParentOf(record.c_str())).c_str(), NULL);
    ASSERT_TRUE(::CreateDirectoryA(record.c_str(), NULL));
    ExpectFatal("Can't write the setup record " + record);
    flow.Install();
    ::RemoveDirectoryA(record.c_str());
    EXPECT_TRUE(ViewOpen());
    EXPECT_FALSE(DirExists(target) || AnyProductKey());
}
