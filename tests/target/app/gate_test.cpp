// The start-up gate: the version facility, the welcome and licence screens, the
// running-product check, and every way the gate ends the process.
#include "backdrop_dlg.h"
#include "boxes.h"
#include "faults.h"
#include "installer_app.h"
#include "one_installer.h"
#include "resource.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <map>
#include <sddl.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

const char kWelcomeTitle[] = "Merolin 1.31 Installation";
const char kLicenseTitle[] = "Merolin License Agreement";
const char kNotice[] =
    "A version of Merolin is currently running\r\nand must be closed before installation can continue.\r\n\r\n"
    "This installation program will attempt to close it,\r\nbut it may be necessary to close Merolin "
    "manually before continuing.";
const char kStillRunning[] =
    "An instance of Merolin is currently running:\r\nPlease close Merolin before attempting this installation.";
const char kClosed[] = "Merolin has been closed, installation can continue";
const char kNoVersion[] =
    "Cannot install Merolin!\r\n\r\nVERSION.DLL is not available on your system.\r\nSee your system "
    "administrator to enable version control.";

// What the user does on the two screens: press a button, Escape or the close box.
enum Answer { kOk, kCancel, kEscape, kCloseBox };

struct ScreenStep {
    const char* title;
    Answer answer;
};
std::vector<ScreenStep> g_screens;
size_t g_nextScreen;
std::vector<std::string> g_screensSeen;

void CALLBACK AnswerScreens(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_nextScreen >= g_screens.size())
        return;
    const ScreenStep& s = g_screens[g_nextScreen];
    HWND h = ::FindWindowA(NULL, s.title);
    DWORD pid = 0;
    if (!h || !::IsWindowVisible(h) || (::GetWindowThreadProcessId(h, &pid), pid != ::GetCurrentProcessId()))
        return;
    ++g_nextScreen;
    g_screensSeen.push_back(s.title);
    switch (s.answer) {
    case kOk:
        PostClick(h, IDC_OK_BTN);
        break;
    case kCancel:
        PostClick(h, IDC_CANCEL_BTN);
        break;
    case kEscape:
        PressEscape(h);
        break;
    case kCloseBox:
        CloseBox(h);
        break;
    }
}

// Answers the welcome and licence screens as they come up, from a timer that runs
// inside their modal loops.
class ScreenAnswers {
public:
    ScreenAnswers(Answer welcome, Answer license)
    {
        g_screens = { { kWelcomeTitle, welcome }, { kLicenseTitle, license } };
        g_nextScreen = 0;
        g_screensSeen.clear();
        m_timer = ::SetTimer(NULL, 0, 30, AnswerScreens);
    }
    ~ScreenAnswers() { ::KillTimer(NULL, m_timer); }

private:
    UINT_PTR m_timer;
};

// In a death test the process ends inside the gate: every box and every close
// request is logged as it happens, and at the exit the state of the backdrop, so
// that the parent can match them.
std::string WindowTitle(HWND h)
{
    char buf[256] = "";
    ::GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

BOOL WINAPI LoggingPostMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    Log("post " + WindowTitle(h) + " " + std::to_string(msg) + " " + std::to_string(wp) + " " + std::to_string(lp));
    return ::PostMessageA(h, msg, wp, lp);
}

CInstallerApp* g_pApp;
void ReportBackdropAtExit()
{
    if (!g_pApp || !g_pApp->m_pBackdrop)
        Log("backdrop none");
    else
        Log(g_pApp->m_pBackdrop->m_hWnd && ::IsWindowVisible(g_pApp->m_pBackdrop->m_hWnd) ? "backdrop up"
                                                                                            : "backdrop destroyed");
}

HANDLE WINAPI LoggingCreateMutex(LPSECURITY_ATTRIBUTES a, BOOL b, LPCSTR c)
{
    HANDLE h = ::CreateMutexA(a, b, c);
    DWORD dwError = ::GetLastError();
    if (!strstr(c, "Setup"))  // the installers' own mutex is tested on its own
        Log(std::string("mutex ") + c + (b ? " owned" : ""));
    ::SetLastError(dwError);
    return h;
}
BOOL WINAPI LoggingReleaseMutex(HANDLE h)
{
    Log("release");
    return ::ReleaseMutex(h);
}
BOOL WINAPI LoggingCloseHandle(HANDLE h)
{
    TOKEN_TYPE type;
    DWORD n;
    // A look at the rights, or at a folder of the journal's, is no step of the gate.
    if (!::GetTokenInformation(h, TokenType, &type, sizeof type, &n) && ::GetFileType(h) != FILE_TYPE_DISK)
        Log("close");
    return ::CloseHandle(h);
}

std::string g_loadedName, g_procName;
HMODULE WINAPI RecordingLoadLibrary(LPCSTR name)
{
    g_loadedName = name;
    return ::LoadLibraryA(name);
}
FARPROC WINAPI RecordingGetProcAddress(HMODULE h, LPCSTR name)
{
    g_procName = name;
    return ::GetProcAddress(h, name);
}

// The test's windows stand in for the product's: their process, which never ends, is
// one that cannot be opened. ProcessThatStays: a product that outlives its window.
HANDLE WINAPI OpenOtherProcess(DWORD access, BOOL inherit, DWORD pid)
{
    return pid == ::GetCurrentProcessId() ? NULL : ::OpenProcess(access, inherit, pid);
}
HANDLE WINAPI ProcessThatStays(DWORD, BOOL, DWORD) { return ::CreateEventA(NULL, TRUE, FALSE, NULL); }

// Top-level windows with chosen titles, standing in for a running product; each
// counts the close requests it receives and, unless told to ignore them, closes.
std::map<HWND, LONG_PTR> g_closeRequests;
LRESULT CALLBACK ProductProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_USER + 0x101 && wp == 0 && lp == 0) {
        ++g_closeRequests[h];
        if (!::GetWindowLongPtrA(h, GWLP_USERDATA))
            ::DestroyWindow(h);
        return 0;
    }
    return ::DefWindowProcA(h, msg, wp, lp);
}
enum { kCloses = 0, kIgnoresRequests = 1 };
class ProductWindow {
public:
    explicit ProductWindow(const char* title, int behaviour = kCloses)
    {
        static ATOM atom;
        if (!atom) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = ProductProc;
            wc.hInstance = ::GetModuleHandleA(NULL);
            wc.lpszClassName = "GateTestProduct";
            atom = ::RegisterClassA(&wc);
        }
        m_hWnd = ::CreateWindowA("GateTestProduct", title, WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL,
                                 ::GetModuleHandleA(NULL), NULL);
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, behaviour);
    }
    ~ProductWindow()
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        g_closeRequests.erase(m_hWnd);
    }
    LONG_PTR CloseRequests() const { return g_closeRequests.count(m_hWnd) ? g_closeRequests.at(m_hWnd) : 0; }
    bool Closed() const { return !::IsWindow(m_hWnd); }
    HWND m_hWnd;
};

// Another copy of the product holds the mutex.
class ProductMutex {
public:
    ProductMutex() : m_h(::CreateMutexA(NULL, FALSE, "Tolvane_MR_Mutex")) {}
    ~ProductMutex() { ::CloseHandle(m_h); }
    HANDLE m_h;
};

bool MutexExists()
{
    HANDLE h = ::OpenMutexA(SYNCHRONIZE, FALSE, "Tolvane_MR_Mutex");
    if (h)
        ::CloseHandle(h);
    return h != NULL;
}

// The application object as the framework sets it up. Every platform call is counted;
// close requests, the mutex calls and every box are logged for the death tests.
class GateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.SetInstance(::GetModuleHandleA(NULL));
        g_pApp = &app;
        StartLog("GATE");
        faults.Forward().PostMessageA = LoggingPostMessage;
        faults.Forward().CreateMutexA = LoggingCreateMutex;
        faults.Forward().ReleaseMutex = LoggingReleaseMutex;
        faults.Forward().CloseHandle = LoggingCloseHandle;
        faults.Forward().LoadLibraryA = RecordingLoadLibrary;
        faults.Forward().GetProcAddress = RecordingGetProcAddress;
        faults.Forward().OpenProcess = OpenOtherProcess;
    }
    void TearDown() override
    {
        if (app.m_pBackdrop) {
            app.m_pBackdrop->DestroyWindow();
            delete app.m_pBackdrop;
        }
        g_pApp = NULL;
        ::CloseHandle(app.m_hInstallerMutex);  // held until the process ends, which a test's does not
        EXPECT_FALSE(MutexExists()) << "the gate left its mutex behind";
    }
    // For a run that ends the process: boxes are logged and answered by caption,
    // and the backdrop's state is logged at the exit.
    void LogEverything(std::vector<BoxAnswer> answers = {})
    {
        LogBoxes(answers);
        atexit(ReportBackdropAtExit);
    }
    // The gate ends the run; the process ends as the application ends it.
    void EndAtTheGate()
    {
        if (!app.InitApplication())
            exit(app.ExitInstance());
    }
    void ExpectBackdropUp()
    {
        ASSERT_NE(app.m_pBackdrop, nullptr);
        HWND h = app.m_pBackdrop->m_hWnd;
        ASSERT_NE(h, nullptr);
        EXPECT_TRUE(::IsWindowVisible(h));
        RECT rc;
        ::GetWindowRect(h, &rc);
        EXPECT_EQ(rc.right - rc.left, ::GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(rc.bottom - rc.top, ::GetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(::GetParent(h), nullptr);
        EXPECT_EQ(::GetWindow(h, GW_OWNER), nullptr);
    }
    CInstallerApp app;
    PlatformFaults faults;
};

} // namespace

// ---- the gate passes

TEST_F(GateTest, PassesWithNoRunningCopy)
{
    ScriptedBoxes boxes;  // no box
    ScreenAnswers screens(kOk, kOk);
    ::SetErrorMode(0);
    EXPECT_TRUE(app.InitApplication());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(g_screensSeen, (std::vector<std::string>{ kWelcomeTitle, kLicenseTitle }));
    const UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    EXPECT_EQ(::SetErrorMode(0) & kQuiet, kQuiet) << "a drive without a disk must not raise the system's box";
    // version.dll from the system directory only, and its installation function
    char sys[MAX_PATH];
    ::GetSystemDirectoryA(sys, MAX_PATH);
    EXPECT_EQ(g_loadedName, std::string(sys) + "\\version.dll");
    EXPECT_EQ(g_procName, "VerInstallFileA");
    EXPECT_EQ(faults.Count(AFX_CALL_FindWindowA), 0);
    EXPECT_EQ(Logged(), "mutex Tolvane_MR_Mutex owned;release;close;");
    ExpectBackdropUp();
}

TEST_F(GateTest, MutexWithoutAnyListedWindowPassesSilently)
{
    ProductMutex other;
    ScriptedBoxes boxes;
    ScreenAnswers screens(kOk, kOk);
    EXPECT_TRUE(app.InitApplication());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(faults.Count(AFX_CALL_FindWindowA), 10);  // every title once, the end marker never
    EXPECT_EQ(faults.Count(AFX_CALL_PostMessageA), 0);
    EXPECT_EQ(Logged(), "mutex Tolvane_MR_Mutex owned;release;close;");
    ExpectBackdropUp();
}

TEST_F(GateTest, AFailedMutexCallLooksForNoWindow)
{
    ProductWindow product("Merolin");
    ScriptedBoxes boxes;
    ScreenAnswers screens(kOk, kOk);
    faults.Fail(AFX_CALL_CreateMutexA, 2);  // the product's, after the installers' own
    faults.SetFailureError(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(app.InitApplication());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(faults.Count(AFX_CALL_FindWindowA), 0);
    EXPECT_EQ(product.CloseRequests(), 0);
}

TEST_F(GateTest, OnlyTheLastTitleRunning_NoticeCloseRequestAndClosedMessage)
{
    ProductMutex other;
    ProductWindow beta9("Merolin BETA 9");
    ScriptedBoxes boxes;
    boxes.Expect("NOTICE", kNotice, 0x31, IDOK).Expect("OK", kClosed, 0, IDOK);
    ScreenAnswers screens(kOk, kOk);
    EXPECT_TRUE(app.InitApplication());
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[0].hOwner, nullptr);
    EXPECT_EQ(boxes.Seen()[1].hOwner, nullptr);
    EXPECT_EQ(faults.Count(AFX_CALL_FindWindowA), 10);  // no second search after the last title
    EXPECT_EQ(Logged(), "mutex Tolvane_MR_Mutex owned;post Merolin BETA 9 1281 0 0;release;close;");
    EXPECT_EQ(beta9.CloseRequests(), 1);
    EXPECT_TRUE(beta9.Closed()) << "the gate goes on only once the product's window is gone";
    ExpectBackdropUp();
}

TEST_F(GateTest, TwoWindowsOfTheSameTitle_OnlyOneIsAskedAndTheGatePasses)
{
    ProductMutex other;
    ProductWindow first("Merolin BETA 1"), second("Merolin BETA 1");
    ScriptedBoxes boxes;
    boxes.Expect("NOTICE", kNotice, 0x31, IDOK).Expect("OK", kClosed, 0, IDOK);
    ScreenAnswers screens(kOk, kOk);
    EXPECT_TRUE(app.InitApplication());
    EXPECT_EQ(first.CloseRequests() + second.CloseRequests(), 1);
    EXPECT_NE(first.Closed(), second.Closed()) << "only the one asked has closed";
    // first scan: "Merolin", "Merolin BETA 1"; second scan: BETA 2 to BETA 9
    EXPECT_EQ(faults.Count(AFX_CALL_FindWindowA), 2 + 8);
}

// Finds no resource of that number (the rest as the system finds them).
static UINT g_missingResource;
static HRSRC WINAPI FindAllBut(HMODULE module, LPCSTR name, LPCSTR type)
{
    return (UINT)(UINT_PTR)name == g_missingResource ? NULL : ::FindResourceA(module, name, type);
}
// The resource's length one byte short.
static DWORD WINAPI SizeOneShort(HMODULE module, HRSRC resource) { return ::SizeofResource(module, resource) - 1; }

TEST_F(GateTest, LicenceThatCannotBeLoadedCountsAsAccepted)
{
    ScriptedBoxes boxes;
    boxes.AnswerAnyWith(IDOK);  // the licence dialog's own report (tests/target/ui)
    ScreenAnswers screens(kOk, kCancel);  // the licence screen never comes up to be refused
    g_missingResource = IDR_LICENSE_TEXT;
    faults.Forward().FindResourceA = FindAllBut;
    EXPECT_TRUE(app.InitApplication());
    EXPECT_EQ(g_screensSeen, (std::vector<std::string>{ kWelcomeTitle }));
    EXPECT_EQ(Logged(), "mutex Tolvane_MR_Mutex owned;release;close;");
}

// ---- the gate refuses: each refusal ends the process with its exit code

TEST_F(GateTest, NoVersionFacilityShowsTheStopBoxBeforeAnythingElse)
{
    const std::string expected = Sequence("box app_tests 16 " + Flat(kNoVersion) + ";backdrop none;");
    EXPECT_EXIT(
        {
            LogEverything();
            faults.Fail(AFX_CALL_LoadLibraryA, 1, -1);
            EndAtTheGate();
        },
        ::testing::ExitedWithCode(2), expected);
    // the library without its installation function is no better
    EXPECT_EXIT(
        {
            LogEverything();
            faults.Fail(AFX_CALL_GetProcAddress, 1, -1);
            EndAtTheGate();
        },
        ::testing::ExitedWithCode(2), expected);
}

// A payload resource missing, or not the one the build recorded: the stop box before
// any window, exit code 2.
TEST_F(GateTest, ADamagedPayloadShowsTheStopBoxBeforeAnyWindow)
{
    EXPECT_EXIT(
        {
            LogEverything();
            g_missingResource = 136;  // the help file's
            faults.Forward().FindResourceA = FindAllBut;
            EndAtTheGate();
        },
        ::testing::ExitedWithCode(2), Sequence("box ERROR 16 Setup file appears to be corrupted!;backdrop none;"));
    EXPECT_EXIT(
        {
            LogEverything();
            faults.Forward().SizeofResource = SizeOneShort;
            EndAtTheGate();
        },
        ::testing::ExitedWithCode(2), Sequence("box ERROR 16 Setup file is corrupted!;backdrop none;"));
}

// The record of a run cut short, of a format this installer does not know: the run
// ends with 2 before the payload check and leaves it as it is; a bad command line
// ends before the record is looked at.
TEST_F(GateTest, ARecordOfAnUnknownFormatEndsTheRunAndStays)
{
    char folder[MAX_PATH];
    ASSERT_EQ(S_OK, ::SHGetFolderPathA(NULL, CSIDL_COMMON_APPDATA, NULL, 0, folder));
    const std::string own = std::string(folder) + "\\Tolvane Software Setup", later = "MRR\x09 a later format";
    const std::string record = own + "\\MerolinSetup.rec";
    ::CreateDirectoryA(own.c_str(), NULL);  // the installer's own folder (a run makes it with its own rights)
    WriteWholeFile(record, later);
    for (const auto& c : { std::make_pair("/S /X", 3), std::make_pair("/S", 2) })
        EXPECT_EXIT(
            {
                app.m_lpCmdLine = c.first;
                faults.Forward().FindResourceA = nullptr;  // the payload check would crash
                if (app.InitApplication())
                    exit(99);
                exit(app.ExitInstance());
            },
            ::testing::ExitedWithCode(c.second), "") << c.first;
    EXPECT_EQ(later, ReadWholeFile(record));
    ::DeleteFileA(record.c_str());
}

// A silent run shows no screen and no box, and ends with its own exit code: 3 for a
// bad command line before anything, 2 without the version facility, 1 when the
// product stays after the close request.
TEST_F(GateTest, SilentRunShowsNothingAndEndsWithItsExitCode)
{
    ProductMutex other;
    ProductWindow product("Merolin", kIgnoresRequests);
    const std::string closeRequest = "mutex Tolvane_MR_Mutex owned;post Merolin 1281 0 0;release;close;";
    // A log with a second name is one this run must not write to: as bad a command line.
    ScratchDir scratch(CurrentTestName());
    WriteWholeFile(scratch / "a.log", "");
    ASSERT_TRUE(::CreateHardLinkA((scratch / "b.log").c_str(), (scratch / "a.log").c_str(), NULL));
    const std::string linkedLog = "/S /LOG=" + scratch / "b.log";
    const struct { const char* args; AfxCallId fail; int code; std::string events; } cases[] = {
        { "/S /X", AFX_CALL_LoadLibraryA, 3, "" }, { "/s", AFX_CALL_LoadLibraryA, 2, "" },
        { "/S", AFX_CALL_COUNT, 1, closeRequest }, { "/S /REMOVE", AFX_CALL_LoadLibraryA, 1, closeRequest },
        { linkedLog.c_str(), AFX_CALL_COUNT, 3, "" },
        // a run for the user where the system has no local application data folder
        { "/S /CURRENTUSER", AFX_CALL_SHGetSpecialFolderLocation, 3, "" } };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                LogEverything();
                app.m_lpCmdLine = (LPSTR)c.args;
                if (c.fail != AFX_CALL_COUNT)
                    faults.Fail(c.fail, 1, -1);
                EndAtTheGate();
            },
            ::testing::ExitedWithCode(c.code), Sequence(c.events + "backdrop none;"))
            << c.args;
    }
}

// Another installer holds the installers' mutex (by its global name; by the plain one
// where the namespace is refused; or one denied to this installer): 1618 before
// anything shows, and a run with windows brings the other's window to the front.
TEST_F(GateTest, AnotherInstallerEndsTheRunWith1618)
{
    const struct { const char *args, *held; DWORD firstError; } cases[] = {
        { "", "Global\\Tolvane_MR_Setup", 0 }, { "/S", "Global\\Tolvane_MR_Setup", 0 },
        { "/S", "Tolvane_MR_Setup", ERROR_INVALID_NAME }, { "/S", "", ERROR_ACCESS_DENIED } };
    for (const auto& c : cases) {
        const std::string front = *c.args ? "Elsewhere" : "Tolvane Software - Install Merolin 1.31";
        EXPECT_EXIT(
            {
                LogEverything();
                ::CreateMutexA(NULL, FALSE, c.held);
                for (const char* title : { "Tolvane Software - Install Merolin 1.31", "Elsewhere" })
                    ::SetForegroundWindow(::CreateWindowA("STATIC", title, WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0));
                faults.Fail(AFX_CALL_CreateMutexA, 1, c.firstError ? 1 : 0);
                faults.SetFailureError(c.firstError);
                app.m_lpCmdLine = c.args;
                app.InitApplication();
                Log("front " + WindowTitle(::GetForegroundWindow()));
                exit(app.ExitInstance());
            },
            ::testing::ExitedWithCode(1618), Sequence("front " + front + ";backdrop none;")) << c.held;
    }
}

// The private namespace as a system that has it; the SID and the descriptor it is given are
// logged. g_nsError: the namespace is there already, and opened unless ERROR_ACCESS_DENIED.
static DWORD g_nsError;
static HANDLE WINAPI FakeBoundary(LPCSTR name, ULONG) { return (HANDLE)name; }
static BOOL WINAPI FakeAddSid(HANDLE* ph, PSID sid)
{
    LPSTR s;
    return ::ConvertSidToStringSidA(sid, &s), Log(std::string((LPCSTR)*ph) + " " + s), TRUE;
}
static HANDLE WINAPI FakeNs(LPSECURITY_ATTRIBUTES sa, LPVOID, LPCSTR alias)
{
    LPSTR s = (LPSTR) "open";
    if (sa)
        ::ConvertSecurityDescriptorToStringSecurityDescriptorA(sa->lpSecurityDescriptor, 1, DACL_SECURITY_INFORMATION, &s, 0);
    Log(std::string(alias) + " " + s);
    ::SetLastError(g_nsError);
    return g_nsError && (sa || g_nsError == ERROR_ACCESS_DENIED) ? NULL : (HANDLE)1;
}
static HANDLE WINAPI FakeOpenNs(LPVOID b, LPCSTR alias) { return FakeNs(NULL, b, alias); }
static HANDLE WINAPI NamespaceMutex(LPSECURITY_ATTRIBUTES a, BOOL b, LPCSTR name)
{
    Log(std::string("mutex ") + name);  // the namespace's under a name of the test's own
    return ::CreateMutexA(a, b, strcmp(name, "Tolvane_MR\\Tolvane_MR_Setup") ? name : "GateTest namespace");
}

// In the namespace, a mutex of the global name (another user's) stops no run; where the
// namespace is missing or refused, the global name as before. A run for the user takes
// its user's own in the session's namespace, which the global name does not hold either.
// A second take finds it held.
TEST_F(GateTest, TheInstallersMutexIsTakenInTheirPrivateNamespace)
{
    union { TOKEN_USER user; BYTE bytes[256]; } self;
    HANDLE token;
    DWORD n;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    ASSERT_TRUE(::GetTokenInformation(token, TokenUser, &self, sizeof self, &n) && ::CloseHandle(token));
    std::string sid;  // its bytes in hex
    for (DWORD i = 0; i < ::GetLengthSid(self.user.User.Sid); ++i)
        sid += "0123456789ABCDEF"[((BYTE*)self.user.User.Sid)[i] >> 4], sid += "0123456789ABCDEF"[((BYTE*)self.user.User.Sid)[i] & 15];
    const std::string made = "Tolvane_MR S-1-5-32-544;Tolvane_MR D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY);", open = "Tolvane_MR open;",
                      ns = "mutex Tolvane_MR\\Tolvane_MR_Setup;", global = "mutex Global\\Tolvane_MR_Setup;",
                      user = std::string("mutex Local\\Tolvane_MR_Setup_") + sid + ";";
    const struct { AfxCallId fail; DWORD nsError; bool held; BOOL taken; std::string log; BOOL forUser; } cases[] = {
        { AFX_CALL_ReleaseMutex, 0, true, TRUE, made + ns },  // ReleaseMutex: no call fails
        { AFX_CALL_ReleaseMutex, ERROR_ALREADY_EXISTS, true, TRUE, made + open + ns },
        { AFX_CALL_ReleaseMutex, ERROR_ACCESS_DENIED, false, TRUE, made + open + global },
        { AFX_CALL_ReleaseMutex, ERROR_ACCESS_DENIED, true, FALSE, made + open + global },
        { AFX_CALL_CreateBoundaryDescriptorA, 0, true, FALSE, global },
        { AFX_CALL_AddSIDToBoundaryDescriptor, 0, false, TRUE, global },
        { AFX_CALL_ReleaseMutex, 0, true, TRUE, user, TRUE } };
    for (const auto& c : cases) {
        PlatformFaults fake;
        AfxPlatformCalls& f = fake.Forward();
        f.CreateBoundaryDescriptorA = FakeBoundary, f.AddSIDToBoundaryDescriptor = FakeAddSid, f.CreateMutexA = NamespaceMutex;
        f.CreatePrivateNamespaceA = FakeNs, f.OpenPrivateNamespaceA = FakeOpenNs;
        fake.Fail(c.fail, 1, -1), fake.SetFailureError(ERROR_PROC_NOT_FOUND), g_nsError = c.nsError, StartLog("GATE");
        HANDLE squatter = c.held ? ::CreateMutexA(NULL, FALSE, "Global\\Tolvane_MR_Setup") : NULL, first, second;
        EXPECT_EQ(TakeInstallerMutex(&first, c.forUser), c.taken) << c.log;
        EXPECT_EQ(Logged(), c.log);
        EXPECT_FALSE(TakeInstallerMutex(&second, c.forUser)) << c.log;
        for (HANDLE h : { squatter, first, second })
            ::CloseHandle(h);
    }
}

TEST_F(GateTest, RefusedWelcomeOrLicenceDestroysTheBackdrop)
{
    const Answer refusals[] = { kCancel, kEscape, kCloseBox };
    for (Answer refusal : refusals) {
        EXPECT_EXIT(
            {
                LogEverything();
                ScreenAnswers screens(refusal, kOk);
                EndAtTheGate();
            },
            ::testing::ExitedWithCode(4), Sequence("backdrop destroyed;"))
            << "welcome, refusal " << refusal;
    }
    for (Answer refusal : refusals) {
        EXPECT_EXIT(
            {
                LogEverything();
                ScreenAnswers screens(kOk, refusal);
                EndAtTheGate();
            },
            ::testing::ExitedWithCode(4), Sequence("backdrop destroyed;"))
            << "licence, refusal " << refusal;
    }
}

TEST_F(GateTest, NoticeAnsweredWithCancelReleasesTheMutexAndEnds)
{
    ProductMutex other;
    ProductWindow product("Merolin");
    EXPECT_EXIT(
        {
            LogEverything({ { "NOTICE", IDCANCEL } });
            ScreenAnswers screens(kOk, kOk);
            EndAtTheGate();
        },
        ::testing::ExitedWithCode(4),
        Sequence("mutex Tolvane_MR_Mutex owned;box NOTICE 49 " + Flat(kNotice) + ";release;close;backdrop up;"));
}

TEST_F(GateTest, ALaterTitleStillRunningEndsAfterTheCloseRequest)
{
    // List order decides, not the order in which the windows were made. The same end
    // comes when the product itself does not end within the bounded wait: when it
    // ignores the request (1), or takes its window down but runs on (2).
    ProductMutex other;
    for (int how : { 0, 1, 2 }) {
        SCOPED_TRACE(how);
        ProductWindow beta2(how ? "Not a product title" : "Merolin BETA 2");
        ProductWindow product("Merolin", how == 1 ? kIgnoresRequests : kCloses);
        EXPECT_EXIT(
            {
                LogEverything({ { "NOTICE", IDOK } });
                if (how == 2)
                    faults.Forward().OpenProcess = ProcessThatStays;
                ScreenAnswers screens(kOk, kOk);
                EndAtTheGate();
            },
            ::testing::ExitedWithCode(1),
            Sequence("mutex Tolvane_MR_Mutex owned;box NOTICE 49 " + Flat(kNotice) + ";post Merolin 1281 0 0;" +
                     (how == 2 ? "close;" : "") + "box Install Merolin 64 " + Flat(kStillRunning) +
                     ";release;close;backdrop up;"));
    }
}

// ---- with the stand-in product: a real running copy that holds the mutex and closes
// when asked

TEST_F(GateTest, ARunningStandInIsAskedToCloseAndCloses)
{
    std::string exe = HostPathFromEnv("MEROLIN_STANDIN_EXE");
    if (exe.empty())
        GTEST_SKIP() << "no stand-in product in this build";
    HANDLE hProcess = StartProcess(exe, "/beta 3");
    ASSERT_NE(hProcess, nullptr) << exe;
    HWND hProduct = WaitForWindow("Merolin BETA 3", 20);
    ASSERT_NE(hProduct, nullptr);

    ScriptedBoxes boxes;
    boxes.Expect("NOTICE", kNotice, 0x31, IDOK).Expect("OK", kClosed, 0, IDOK);
    ScreenAnswers screens(kOk, kOk);
    EXPECT_TRUE(app.InitApplication());
    // its process is waited for, then given back
    EXPECT_EQ(Logged(), "mutex Tolvane_MR_Mutex owned;post Merolin BETA 3 1281 0 0;close;release;close;");
    EXPECT_EQ(WaitExit(hProcess, 20000), 0u);  // the product closed on the request
}

// ---- after the gate: the installer dialog runs modally as the main window

namespace {
HWND g_installerSeen, g_mainWndSeen;
void CALLBACK EndInstallerDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND h = ::FindWindowA(NULL, "Tolvane Software - Install Merolin 1.31");
    DWORD pid = 0;
    if (!h || g_installerSeen || (::GetWindowThreadProcessId(h, &pid), pid != ::GetCurrentProcessId()))
        return;
    g_installerSeen = h;
    g_mainWndSeen = CWnd::GetSafeHwnd(AfxGetMainWnd());
    ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);  // Esc
}
} // namespace

TEST_F(GateTest, InitInstanceRunsTheInstallerDialogAsMainWindowAndEndsTheApplication)
{
    RemoveProductKeys();
    ScriptedBoxes boxes;  // no box
    faults.Forward().CoInitialize = RecordingCoInitialize;
    g_installerSeen = g_mainWndSeen = NULL;
    UINT_PTR timer = ::SetTimer(NULL, 0, 30, EndInstallerDialog);
    BOOL bResult = app.InitInstance();
    ::KillTimer(NULL, timer);
    UninitializeRecordedCom();
    EXPECT_FALSE(bResult);
    ASSERT_NE(g_installerSeen, nullptr) << "the installer dialog did not come up";
    EXPECT_EQ(g_mainWndSeen, g_installerSeen);
    EXPECT_FALSE(::IsWindow(g_installerSeen));
    EXPECT_EQ(app.m_pMainWnd, nullptr);  // nothing reaches the ended dialog through it
    EXPECT_TRUE(boxes.Seen().empty());
}

// ---- administrator rights

// The token as the row has it (0 not elevated, 1 elevated, -1 a system that cannot say,
// before Vista, with Administrators among its groups, -2 without),
// and the elevated run as the system starts it: what it was asked, how it ends.
static int g_elevated;
static DWORD g_startError, g_childExit;
static std::string g_started;
static BOOL WINAPI FakeTokenInfo(HANDLE h, TOKEN_INFORMATION_CLASS c, LPVOID info, DWORD n, PDWORD needed)
{
    if (c != TokenElevation)
        return g_afxSystemCalls.GetTokenInformation(h, c, info, n, needed);
    if (g_elevated < 0)
        return ::SetLastError(ERROR_INVALID_PARAMETER), FALSE;
    return ((TOKEN_ELEVATION*)info)->TokenIsElevated = g_elevated, TRUE;
}
static BOOL WINAPI FakeRunAs(LPSHELLEXECUTEINFOA run)
{
    g_started = std::string(run->lpVerb) + " " + run->lpParameters + (run->fMask & SEE_MASK_FLAG_NO_UI ? " (no UI)" : "");
    run->hProcess = g_startError ? NULL : ::CreateEventA(NULL, TRUE, TRUE, NULL);
    return ::SetLastError(g_startError), !g_startError;
}
static BOOL WINAPI FakeChildExit(HANDLE, LPDWORD code) { return *code = g_childExit, TRUE; }
static BOOL WINAPI FakeMembership(HANDLE, PSID, PBOOL member) { return *member = g_elevated != -2, TRUE; }

// Only a run for the machine without the rights asks for them, once: it ends as the
// elevated run ends, 4 when the prompt is declined, 740 when nothing could start it.
TEST_F(GateTest, ARunForTheMachineWithoutRightsRunsAgainElevatedAndEndsAsItDoes)
{
    const struct { int elevated; const char* args; DWORD startError, childExit; std::string started; int outcome; } cases[] = {
        { 1, "/S", 0, 0, "", -1 },  // an administrator's or SYSTEM's run goes on
        { -1, "/S", 0, 0, "", -1 },  // so does one where the system knows no elevation
        { -2, "/S", 0, 0, "", kOutcomeNoRights },  // but not a limited user's there: no prompt to ask
        { 0, "/S /CURRENTUSER", 0, 0, "", -1 },  // a run for the user never asks
        { 0, "/S /D=C:\\My Apps", 0, 5, "runas /ELEVATED /S /D=C:\\My Apps (no UI)", 5 },
        { 0, "", ERROR_CANCELLED, 0, "runas /ELEVATED ", kOutcomeUserEnded },
        { 0, "/S", ERROR_ACCESS_DENIED, 0, "runas /ELEVATED /S (no UI)", kOutcomeNoRights },
        { 0, "/ELEVATED /S", 0, 0, "", kOutcomeNoRights },  // started so, and still without them
    };
    faults.Forward().GetTokenInformation = FakeTokenInfo;
    faults.Forward().ShellExecuteExA = FakeRunAs;
    faults.Forward().WaitForSingleObject = [](HANDLE, DWORD) -> DWORD { return WAIT_OBJECT_0; };
    faults.Forward().GetExitCodeProcess = FakeChildExit;
    faults.Forward().CheckTokenMembership = FakeMembership;
    for (const auto& c : cases) {
        g_elevated = c.elevated, g_startError = c.startError, g_childExit = c.childExit, g_started.clear();
        app.m_outcome = (RunOutcome)-1;
        app.m_cmdLine = CCommandLine();
        app.m_lpCmdLine = (LPSTR)c.args;
        const int nMutexes = faults.Count(AFX_CALL_CreateMutexA);
        app.InitApplication();
        EXPECT_EQ(g_started, c.started) << c.args;
        if (c.outcome >= 0)
            EXPECT_EQ((int)app.m_outcome, c.outcome) << c.args;
        EXPECT_EQ(faults.Count(AFX_CALL_CreateMutexA) > nMutexes, c.outcome < 0) << c.args << ": went on";
        ::CloseHandle(app.m_hInstallerMutex), app.m_hInstallerMutex = NULL;
    }
}
