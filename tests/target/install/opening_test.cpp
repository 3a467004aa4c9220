// The opening of an installation (CInstallFlow::Open, on a fake view): the proposed
// target directory, the program group, COM, a previous installation and the
// overwrite question, the order of the steps and the status line while each one runs.
#include "fake_view.h"
#include "opening_fixture.h"
#include <memory>
#include <vector>

namespace {

// Opens a flow on a fake view and returns the directory it proposes.
std::string ProposedDirectory()
{
    CRunOptions options;
    FakeView view;
    CInstallFlow flow(view, options, ops::CScope(ops::CScope::kMachine));
    EXPECT_TRUE(flow.Open());
    UninitializeRecordedCom();
    EXPECT_EQ(std::string(g_strInstallDir), view.target);
    return view.target;
}

void PutRawValue(DWORD type, const void* data, DWORD size)
{
    HKEY h;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
    ::RegSetValueExA(h, "ProgramFilesDir", 0, type, (const BYTE*)data, size);
    ::RegCloseKey(h);
}

} // namespace

TEST_F(OpeningTest, ProposedDirectoryFromProgramFilesDir)
{
    RegPutString(kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
    EXPECT_EQ(ProposedDirectory(), "D:\\Apps\\Merolin");

    DeleteProgramFilesDir();
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");

    RegPutString(kCurrentVersion, "ProgramFilesDir", "D:\\Apps");
    faults.Fail(AFX_CALL_RegOpenKeyExA);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
    faults.Fail(AFX_CALL_RegQueryValueExA);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");

    // a value that is not a string is not taken for a folder
    DWORD dw = 0x3A44;  // "D:" as bytes
    PutRawValue(REG_DWORD, &dw, sizeof dw);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
    PutRawValue(REG_BINARY, "D:\\Bin", 6);
    EXPECT_EQ(ProposedDirectory(), "C:\\Program Files\\Merolin");
}

namespace {
std::string g_rawValue;
DWORD g_passedSize;
char g_filler;
// A registry that hands back a string without its terminating NUL, the rest of the
// caller's buffer filled with something else.
LONG WINAPI UnterminatedValue(HKEY, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    if (lstrcmpA(name, "ProgramFilesDir") != 0)
        return ERROR_FILE_NOT_FOUND;
    g_passedSize = *size;
    if (g_rawValue.size() > *size)
        return ERROR_MORE_DATA;
    memset(data, g_filler, *size);
    memcpy(data, g_rawValue.data(), g_rawValue.size());
    *size = (DWORD)g_rawValue.size();
    *type = REG_SZ;
    return ERROR_SUCCESS;
}
} // namespace

TEST_F(OpeningTest, AStringWithoutItsNulIsReadNoFurtherThanItsSize)
{
    faults.Forward().RegQueryValueExA = UnterminatedValue;
    g_filler = 'Z';
    g_rawValue = "D:\\Apps";
    EXPECT_EQ(ProposedDirectory(), "D:\\Apps\\Merolin");
    EXPECT_EQ(g_passedSize, 260u);

    // a full buffer and nothing after it
    g_rawValue = std::string(260, 'x');
    EXPECT_EQ(ProposedDirectory(), std::string(260, 'x') + "\\Merolin");

    // an embedded NUL ends the string
    g_filler = '\0';
    g_rawValue = std::string("E:\\Apps\0junk", 12);
    EXPECT_EQ(ProposedDirectory(), "E:\\Apps\\Merolin");
}

TEST_F(OpeningTest, ProgramGroupDefaultHasNoProductFolder)
{
    for (AfxCallId call : { AFX_CALL_SHGetSpecialFolderLocation, AFX_CALL_SHGetPathFromIDListA }) {
        faults.Fail(call);
        ProposedDirectory();
        EXPECT_STREQ(g_strStartMenuDir, "C:\\Windows\\Start Menu\\Programs") << g_afxCallNames[call];
    }
    ProposedDirectory();
    EXPECT_EQ(std::string(g_strStartMenuDir), common::ProgramsDir() + "\\Merolin");
}

// ---- a previous installation and the overwrite question

namespace {
const char kOverwrite[] =
    "This will overwrite any previous installation:\r\n\r\nAre you sure you want to continue installing Merolin?";
const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe";
} // namespace

// A previous installation: an empty folder that the product's keys name.
class PreviousInstallationTest : public OpeningTest {
protected:
    void SetUp() override
    {
        OpeningTest::SetUp();
        RegPutString(kAppPaths, "Path", previous.Path());
    }

    ScratchDir previous{CurrentTestName()};
    ScriptedBoxes boxes;
    CRunOptions options;
    FakeView view;
};

// Yes sets the previous installation aside and proposes its folder; No ends the run
// and keeps it. The question is owned by the view.
class OverwriteAnswerTest : public PreviousInstallationTest, public testing::WithParamInterface<int> {};
TEST_P(OverwriteAnswerTest, PreviousInstallationSetAsideAfterYesKeptAfterNo)
{
    const int answer = GetParam();
    boxes.Expect("Note", kOverwrite, MB_YESNO | MB_ICONEXCLAMATION, answer);
    auto flow = std::make_unique<CInstallFlow>(view, options, ops::CScope(ops::CScope::kMachine));
    EXPECT_EQ(answer == IDYES, flow->Open() != FALSE);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].hOwner, view.owner);
    EXPECT_EQ(answer == IDNO, RegKeyExists(kAppPaths));
    if (answer == IDYES) {
        EXPECT_EQ(view.target, previous.Path());  // the previous installation's folder is proposed
        EXPECT_EQ(view.Status(), "To install Merolin, at least\r\n500 Kb of free disk space is required.");
    } else {
        EXPECT_EQ(kOutcomeUserEnded, flow->Outcome());
    }
    flow.reset();  // its end gives back what it set aside
    EXPECT_EQ(previous.Path(), RegString(kAppPaths, "Path"));
}
INSTANTIATE_TEST_SUITE_P(YesThenNo, OverwriteAnswerTest, testing::Values(IDYES, IDNO));

// Nobody can choose another directory in a silent run: a file standing where a
// directory of the chosen path must go, or a folder on the way that is a reparse point
// (not one the run may use), is found before the previous installation goes.
std::string g_reparsePoint;
DWORD WINAPI ReparseAttributes(LPCSTR path)
{
    return g_afxSystemCalls.GetFileAttributesA(path) | (g_reparsePoint == path ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}
TEST_F(PreviousInstallationTest, SilentRunKeepsThePreviousInstallationWhenItsDirectoryCannotBeUsed)
{
    const std::string apps = previous.Path() + "\\Apps";
    for (const bool file : { true, false }) {
        SCOPED_TRACE(file ? "a file in the way" : "a reparse point on the way");
        if (file)
            WriteWholeFile(apps, "in the way");
        else
            ::DeleteFileA(apps.c_str()), ::CreateDirectoryA(apps.c_str(), NULL);
        g_reparsePoint = file ? "" : apps;
        faults.Forward().GetFileAttributesA = ReparseAttributes;
        boxes.Expect("Note", kOverwrite, MB_YESNO | MB_ICONEXCLAMATION, IDYES)
            .Expect("ERROR", file ? "Error creating directory " + apps : std::string("Please specify a valid disk drive and path"),
                    MB_ICONINFORMATION, IDOK);
        options.m_bSilent = options.m_bAllUsers = TRUE;
        options.m_strTargetDir = (apps + "\\Merolin").c_str();
        CInstallFlow flow(view, options, ops::CScope(ops::CScope::kMachine));
        EXPECT_FALSE(flow.Open());
        EXPECT_EQ(kOutcomeFailed, flow.Outcome());
        EXPECT_TRUE(RegKeyExists(kAppPaths));
    }
    EXPECT_EQ(boxes.Seen().size(), 4u);
}

// ---- the order of the opening steps, and the status line while each one runs

namespace {
FakeView* g_pOpening;
std::vector<std::string> g_steps;
void Step(const std::string& s)
{
    if (g_steps.empty() || g_steps.back() != s)
        g_steps.push_back(s);
}
std::string StatusNow()
{
    return g_pOpening ? Flat(g_pOpening->Status()) : "<none>";
}
LONG WINAPI StepRegOpen(HKEY h, LPCSTR sub, DWORD opt, REGSAM sam, PHKEY out)
{
    if (lstrcmpiA(sub, kCurrentVersion) == 0)
        Step(std::string("program files ") + (h == HKEY_LOCAL_MACHINE ? "HKLM " : "? ") +
             (sam == KEY_READ ? "KEY_READ " : "other access ") + StatusNow());
    else
        Step("probe " + StatusNow());
    return ::RegOpenKeyExA(h, sub, opt, sam, out);
}
HRESULT WINAPI StepFolder(HWND owner, int csidl, PIDLIST_ABSOLUTE* ppidl)
{
    Step(std::string("programs folder ") + std::to_string(csidl) + (owner ? " owned" : "") + " " + StatusNow());
    return ::SHGetSpecialFolderLocation(owner, csidl, ppidl);
}
HRESULT WINAPI StepCoInitialize(LPVOID p)
{
    Step("COM " + StatusNow());
    return RecordingCoInitialize(p);
}
} // namespace

TEST_F(PreviousInstallationTest, OpeningStepsRunInOrderEachUnderItsStatus)
{
    faults.Forward().RegOpenKeyExA = StepRegOpen;
    faults.Forward().SHGetSpecialFolderLocation = StepFolder;
    faults.Forward().CoInitialize = StepCoInitialize;
    g_steps.clear();
    boxes.Expect("Note", kOverwrite, MB_YESNO | MB_ICONEXCLAMATION, IDYES);
    CInstallFlow flow(view, options, ops::CScope(ops::CScope::kMachine));
    g_pOpening = &view;
    ASSERT_TRUE(flow.Open());
    Step("opened " + StatusNow());
    g_pOpening = NULL;
    const std::string checking = "Stand by:<CR><LF>Checking system parameters...";
    EXPECT_EQ(g_steps, (std::vector<std::string>{
                           "program files HKLM KEY_READ " + checking,
                           "programs folder 2 " + checking,
                           "COM " + checking,
                           "probe Stand by:<CR><LF>Checking for previous installations...",
                           "programs folder 35 Stand by:<CR><LF>Checking for previous installations...",  // the journal
                           "probe Removing previous versions...",               // kept,
                           "programs folder 0 Removing previous versions...",   // the links of the user's desktop
                           "programs folder 40 Removing previous versions...",  // (below the user's profile)
                           "programs folder 2 Removing previous versions...",   // and group,
                           "programs folder 40 Removing previous versions...",
                           "programs folder 25 Removing previous versions...",  // of all users' desktop
                           "programs folder 23 Removing previous versions...",  // and group kept too,
                           "probe Removing previous versions...",               // then removed
                           "opened To install Merolin, at least<CR><LF>500 Kb of free disk space is required.",
                       }));
}
