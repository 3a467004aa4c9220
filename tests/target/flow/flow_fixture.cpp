#include "flow_fixture.h"
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

std::string DesktopDir()
{
    char path[MAX_PATH] = "";
    PIDLIST_ABSOLUTE pidl = NULL;
    if (::SHGetSpecialFolderLocation(NULL, CSIDL_DESKTOP, &pidl) == S_OK) {
        ::SHGetPathFromIDListA(pidl, path);
        ::CoTaskMemFree(pidl);
    }
    return path;
}

DWORD PayloadLength(UINT nResourceId)
{
    HMODULE h = ::GetModuleHandleA(NULL);
    HRSRC r = ::FindResourceA(h, MAKEINTRESOURCEA(nResourceId), "MSZ");
    if (!r || ::SizeofResource(h, r) < 14)
        return 0;
    const BYTE* p = (const BYTE*)::LockResource(::LoadResource(h, r));
    return p[10] | p[11] << 8 | p[12] << 16 | (DWORD)p[13] << 24;
}

std::vector<std::string> ListTree(const std::string& dir)
{
    std::vector<std::string> out;
    for (const std::string& name : ListDir(dir)) {
        std::string path = dir + "\\" + name;
        if (DirExists(path)) {
            out.push_back(name + "\\");
            for (const std::string& sub : ListTree(path))
                out.push_back(name + "\\" + sub);
        } else {
            out.push_back(name);
        }
    }
    return out;
}

namespace {
StatusRecorder* g_recorder;
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

StatusRecorder::StatusRecorder(HWND hDlg) : m_hStatus(::GetDlgItem(hDlg, IDC_STATUS))
{
    g_recorder = this;
    m_previous = (WNDPROC)::SetWindowLongPtrA(m_hStatus, GWLP_WNDPROC, (LONG_PTR)&StatusRecorder::Proc);
}

StatusRecorder::~StatusRecorder()
{
    ::SetWindowLongPtrA(m_hStatus, GWLP_WNDPROC, (LONG_PTR)m_previous);
    g_recorder = nullptr;
}

LRESULT CALLBACK StatusRecorder::Proc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_SETTEXT && g_recorder)
        g_recorder->m_texts.push_back(l ? (const char*)l : "");
    return ::CallWindowProcA(g_recorder->m_previous, h, msg, w, l);
}

void WithoutDesktopShell(PlatformFaults& faults) { faults.Forward().CoCreateInstance = &NoShellWindows; }

void RecordShellExecute(PlatformFaults& faults, std::vector<ShellExecuteCall>* calls)
{
    WithoutDesktopShell(faults);
    g_shellCalls = calls;
    faults.Forward().ShellExecuteA = &FakeShellExecute;
}

void FlowTest::SetUp()
{
    ResetProgressFlags();
    RemoveProductKeys();
    ::DeleteFileA((DesktopDir() + "\\Merolin.lnk").c_str());
    scratch.reset(new ScratchDir(CurrentTestName()));
    target = *scratch / "Apps\\Merolin";
    group = *scratch / "Programs\\Merolin";
    ASSERT_TRUE(dlg.Create(IDD_INSTALLER));
    ASSERT_TRUE(DialogOpen()) << "the dialog ended while opening";
    g_strStartMenuDir = group.c_str();
    TypeTarget(target);
}

void FlowTest::TearDown()
{
    if (dlg.m_hWnd)
        dlg.DestroyWindow();
    ResetProgressFlags();
    RemoveProductKeys();
    ::DeleteFileA((DesktopDir() + "\\Merolin.lnk").c_str());
    scratch.reset();
}

void FlowTest::TypeTarget(const std::string& dir)
{
    ::SetDlgItemTextA(dlg.m_hWnd, IDC_TARGET_DIR, dir.c_str());
    ASSERT_EQ(dir, std::string(dlg.m_strTargetDir));
}

bool FlowTest::AnyProductKey() const
{
    return RegKeyExists("SOFTWARE\\Tolvane Software") || RegKeyExists(kAppPathsKey) || RegKeyExists(kUninstallKey);
}
