#include "flow_fixture.h"
#include "running_image.h"
#include "scope.h"
#include <exdisp.h>
#include <shlobj.h>

const char* const kRequiredFiles[4] = { "Merolin.exe", "Merolin.hlp", "Uninstall.exe", "Merolin.txt" };
const char* const kSampleFiles[3] = { "US-Caps_FITB.MR1", "US-Caps_MULT.MR1", "Vocab_MULT.MR1" };
const char* const kGroupLinks[3] = { "Merolin.lnk", "Merolin Help.lnk", "Uninstall Merolin.lnk" };
const char kCompletionText[] =
    "Merolin 1.31 has been successfully installed!\r\n\r\nWould you like to to run Merolin right now?";
const char kAbortQuestion[] =
    "This will abort the installation of Merolin 1.31\r\nDo you wish to cancel the installation?";
const char kNothingQuestion[] =
    "Merolin will not be installed on your system\r\nDo you wish to cancel the installation?";
const char kIncompleteText[] = "Merolin was not installed on your system";
const ops::CScope kMachineScope(ops::CScope::kMachine);
const ops::CScope kUserScope(ops::CScope::kUser);

std::string JournalPath() { return std::string(kMachineScope.JournalFolder(0)) + "\\MerolinSetup.rec"; }

void ResetProgressFlags()
{
    for (int* pFlag : kProgressFlags)
        *pFlag = 0;
}

std::vector<int> ProgressFlags()
{
    std::vector<int> flags;
    for (int* pFlag : kProgressFlags)
        flags.push_back(*pFlag);
    return flags;
}

DWORD PayloadLength(UINT nResourceId)
{
    HMODULE h = ::GetModuleHandleA(NULL);
    HRSRC r = ::FindResourceA(h, MAKEINTRESOURCEA(nResourceId), "MSZ");
    if (!r)
        return 0;
    return common::SzddExpandedLength(::LockResource(::LoadResource(h, r)), ::SizeofResource(h, r));
}

namespace {
std::vector<ShellExecuteCall>* g_shellCalls;

HINSTANCE WINAPI FakeShellExecute(HWND h, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    g_shellCalls->push_back(ShellExecuteCall{ h, verb ? verb : "<null>", file ? file : "<null>",
                                              params ? params : "", dir ? dir : "<null>", params != NULL, show });
    return (HINSTANCE)42;
}

HRESULT WINAPI NoShellWindows(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* ppv)
{
    if (IsEqualCLSID(clsid, CLSID_ShellWindows)) {
        *ppv = NULL;
        return REGDB_E_CLASSNOTREG;
    }
    return ::CoCreateInstance(clsid, outer, context, iid, ppv);
}
} // namespace

void WithoutDesktopShell(PlatformFaults& faults) { faults.Forward().CoCreateInstance = &NoShellWindows; }

void RecordShellExecute(PlatformFaults& faults, std::vector<ShellExecuteCall>* calls)
{
    WithoutDesktopShell(faults);
    g_shellCalls = calls;
    faults.Forward().ShellExecuteA = &FakeShellExecute;
}

void FlowTest::SetUp()
{
    ops::OpenRunningImage();  // as the installer does at start: the kept copy is made from it
    ResetProgressFlags();
    RemoveProductKeys();
    ::DeleteFileA((DesktopDir() + "\\Merolin.lnk").c_str());
    ::DeleteFileA(kMachineScope.JournalFolder(0) + "\\" + kInstallerCopyName);
    scratch.reset(new ScratchDir(CurrentTestName()));
    target = *scratch / "Apps\\Merolin";
    group = std::string(kMachineScope.LinkFolder(ops::CScope::kUserGroup));
    RemoveTree(group);
    ASSERT_TRUE(flow.Open()) << "the opening ended the run";
    ASSERT_TRUE(ViewOpen());
    TypeTarget(target);
}

void FlowTest::TearDown()
{
    ResetProgressFlags();
    RemoveProductKeys();
    ::DeleteFileA((DesktopDir() + "\\Merolin.lnk").c_str());
    ::DeleteFileA(kMachineScope.JournalFolder(0) + "\\" + kInstallerCopyName);
    RemoveTree(group);
    scratch.reset();
}
