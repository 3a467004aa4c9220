// CreateShortcut with the real shell-link object and folders (the desktops as the
// scope names them), and with a fake link object where a failure of the object itself
// is needed.
#include "ops_fixture.h"
#include "shell_folders.h"
#include <shlobj.h>

using testing::ElementsAre;

namespace {

const char kCreateFailed[] = "Can't create Program Files link";
const char kInterfaceFailed[] = "Couldn't create file interface to program links";
const char kSaveFailed[] = "Can't create Program Files icon group";

struct LinkProperties {
    std::string path, workingDir, description, iconPath;
    int iconIndex = -1, showCmd = -1;
};

// Loads a saved link through the shell's own object and reads its properties back.
bool ReadLink(const std::string& file, LinkProperties* props)
{
    IShellLinkA* link = NULL;
    if (::CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link) != S_OK)
        return false;
    IPersistFile* persist = NULL;
    bool ok = link->QueryInterface(IID_IPersistFile, (void**)&persist) == S_OK;
    if (ok) {
        WCHAR wide[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        ok = persist->Load(wide, STGM_READ) == S_OK;
        persist->Release();
    }
    if (ok) {
        char buf[MAX_PATH];
        link->GetPath(buf, MAX_PATH, NULL, SLGP_RAWPATH);
        props->path = buf;
        link->GetWorkingDirectory(buf, MAX_PATH);
        props->workingDir = buf;
        link->GetDescription(buf, MAX_PATH);
        props->description = buf;
        link->GetIconLocation(buf, MAX_PATH, &props->iconIndex);
        props->iconPath = buf;
        link->GetShowCmd(&props->showCmd);
    }
    link->Release();
    return ok;
}

// A stand-in shell-link object that records what it is told and fails on request.
class FakeLink : public IShellLinkA {
public:
    std::vector<std::string> calls;
    LONG refs = 1;
    LONG persistRefs = 0;
    bool failQuery = false;
    HRESULT saveResult = S_OK;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        calls.push_back("QueryInterface");
        *ppv = NULL;
        if (failQuery || !IsEqualIID(riid, IID_IPersistFile))
            return E_NOINTERFACE;
        ++persistRefs;
        *ppv = &m_persist;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetPath(LPSTR, int, WIN32_FIND_DATAA*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDList(PIDLIST_ABSOLUTE*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    STDMETHODIMP GetDescription(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetDescription(LPCSTR s) override { return Record("SetDescription ", s); }
    STDMETHODIMP GetWorkingDirectory(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetWorkingDirectory(LPCSTR s) override { return Record("SetWorkingDirectory ", s); }
    STDMETHODIMP GetArguments(LPSTR, int) override { return E_NOTIMPL; }
    STDMETHODIMP SetArguments(LPCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetHotkey(WORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetHotkey(WORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetShowCmd(int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetShowCmd(int n) override { return Record("SetShowCmd ", std::to_string(n)); }
    STDMETHODIMP GetIconLocation(LPSTR, int, int*) override { return E_NOTIMPL; }
    STDMETHODIMP SetIconLocation(LPCSTR s, int n) override
    {
        return Record("SetIconLocation ", std::string(s) + "," + std::to_string(n));
    }
    STDMETHODIMP SetRelativePath(LPCSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Resolve(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetPath(LPCSTR s) override { return Record("SetPath ", s); }

private:
    HRESULT Record(const char* what, const std::string& arg)
    {
        calls.push_back(what + arg);
        return S_OK;
    }
    class Persist : public IPersistFile {
    public:
        explicit Persist(FakeLink* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID, void** ppv) override { *ppv = NULL; return E_NOINTERFACE; }
        STDMETHODIMP_(ULONG) AddRef() override { return ++m_owner->persistRefs; }
        STDMETHODIMP_(ULONG) Release() override { return --m_owner->persistRefs; }
        STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
        STDMETHODIMP IsDirty() override { return S_OK; }
        STDMETHODIMP Load(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
        STDMETHODIMP Save(LPCOLESTR name, BOOL remember) override
        {
            char buf[1024];
            ::WideCharToMultiByte(CP_ACP, 0, name, -1, buf, sizeof buf, NULL, NULL);
            m_owner->calls.push_back(std::string("Save ") + buf + (remember ? ",TRUE" : ",FALSE"));
            return m_owner->saveResult;
        }
        STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
        STDMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

    private:
        FakeLink* m_owner;
    };
    Persist m_persist{ this };
};

FakeLink* g_link;
std::vector<std::string>* g_created;  // CLSID and IID checks of the fake factory

HRESULT WINAPI FakeCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* ppv)
{
    g_created->push_back(IsEqualCLSID(clsid, CLSID_ShellLink) && !outer && context == CLSCTX_INPROC_SERVER &&
                                 IsEqualIID(iid, IID_IShellLinkA)
                             ? "ShellLink"
                             : "other");
    *ppv = static_cast<IShellLinkA*>(g_link);
    return S_OK;
}

std::string g_windowsDir;
UINT WINAPI FakeWindowsDirectory(LPSTR buf, UINT size)
{
    lstrcpynA(buf, g_windowsDir.c_str(), size);
    return (UINT)g_windowsDir.size();
}

} // namespace

class Shortcuts : public OpsTest {
protected:
    void SetUp() override
    {
        OpsTest::SetUp();
        m_com = ::CoInitialize(NULL);
        app = dir / "App";
        ASSERT_TRUE(::CreateDirectoryA(app.c_str(), NULL));
        WriteWholeFile(app + "\\Merolin.exe", "MZ stand-in");
        targetDir = app.c_str();
        group = dir / "Start Menu\\Programs\\Merolin";
        g_windowsDir = dir / "Windows";
        g_created = &created;
        g_link = &link;
    }
    void TearDown() override
    {
        OpsTest::TearDown();
        if (SUCCEEDED(m_com))
            ::CoUninitialize();
    }
    // The fake link object instead of the shell's.
    void UseFakeLink() { faults.Forward().CoCreateInstance = FakeCoCreateInstance; }
    // The shell gives no desktop; the Windows directory is dir\Windows.
    void UseWindowsDesktop()
    {
        faults.Fail(AFX_CALL_SHGetSpecialFolderLocation, 1, -1);
        faults.Forward().GetWindowsDirectoryA = FakeWindowsDirectory;
    }

    ScratchDir dir{ CurrentTestName() };
    PlatformFaults faults;
    FakeLink link;
    std::vector<std::string> created;
    std::string app, group;
    CString targetDir;
    // The operation, for this fixture's target directory and program group, or the
    // user's desktop as the scope names it.
    BOOL Link(const char* base, const char* ext, const char* title, BOOL desktop)
    {
        const CString folder = desktop ? CScope(CScope::kMachine).LinkFolder(CScope::kUserDesktop) : CString(group.c_str());
        return CreateShortcut(owner, targetDir, folder, !desktop, base, ext, title);
    }
    HRESULT m_com = E_FAIL;
};

TEST_F(Shortcuts, ProgramGroupLinkCreatesTheFolderWithItsParents)
{
    ASSERT_FALSE(DirExists(dir / "Start Menu"));
    EXPECT_TRUE(Link("Merolin", ".exe", "Merolin", FALSE));
    EXPECT_TRUE(FileExists(group + "\\Merolin.lnk"));
    EXPECT_EQ(CurrentDir(), group);  // the folder's creation moved the current directory
    EXPECT_TRUE(boxes.Seen().empty());

    LinkProperties props;
    ASSERT_TRUE(ReadLink(group + "\\Merolin.lnk", &props));
    EXPECT_TRUE(SamePath(props.path, app + "\\Merolin.exe")) << props.path;
    EXPECT_TRUE(SamePath(props.workingDir, app)) << props.workingDir;
    EXPECT_EQ(props.description, "Merolin");
    EXPECT_TRUE(SamePath(props.iconPath, app + "\\Merolin.exe")) << props.iconPath;
    EXPECT_EQ(props.iconIndex, 0);
    EXPECT_EQ(props.showCmd, SW_SHOWNORMAL);

    // A second link in the existing folder, another extension and title.
    WriteWholeFile(app + "\\Merolin.hlp", "help");
    EXPECT_TRUE(Link("Merolin", ".hlp", "Merolin Help", FALSE));
    ASSERT_TRUE(ReadLink(group + "\\Merolin Help.lnk", &props));
    EXPECT_TRUE(SamePath(props.path, app + "\\Merolin.hlp")) << props.path;
    EXPECT_EQ(props.description, "Merolin Help");
}

TEST_F(Shortcuts, DesktopLinkGoesToTheShellsDesktop)
{
    std::string desktop = common::DesktopDir();
    ASSERT_FALSE(desktop.empty());
    std::string file = desktop + "\\Merolin Test Link.lnk";
    ::DeleteFileA(file.c_str());
    ::SetCurrentDirectoryA(dir.Path().c_str());
    EXPECT_TRUE(Link("Merolin", ".exe", "Merolin Test Link", TRUE));
    EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_EQ(CurrentDir(), dir.Path());  // a desktop link does not move it
    EXPECT_FALSE(DirExists(group));
    ::DeleteFileA(file.c_str());
}

// For all users: their desktop; where the system has none (the lookup fails), the user's.
TEST_F(Shortcuts, DesktopOfAllUsersElseTheUsers)
{
    for (std::string folder : { common::ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), common::DesktopDir() }) {
        EXPECT_TRUE(CreateShortcut(owner, targetDir, CScope(CScope::kMachine).LinkFolder(CScope::kAllUsersDesktop), FALSE,
                                   "Merolin", ".exe", "Test Link"));
        EXPECT_TRUE(::DeleteFileA((folder + "\\Test Link.lnk").c_str())) << folder;
        faults.Fail(AFX_CALL_SHGetSpecialFolderLocation);
    }
}

TEST_F(Shortcuts, DesktopFallsBackToTheWindowsDirectory)
{
    ASSERT_TRUE(::CreateDirectoryA(g_windowsDir.c_str(), NULL));
    ASSERT_TRUE(::CreateDirectoryA((g_windowsDir + "\\Desktop").c_str(), NULL));
    UseWindowsDesktop();
    EXPECT_TRUE(Link("Merolin", ".exe", "Merolin", TRUE));
    std::string file = g_windowsDir + "\\Desktop\\Merolin.lnk";
    EXPECT_TRUE(FileExists(file));
    LinkProperties props;
    ASSERT_TRUE(ReadLink(file, &props));
    EXPECT_EQ(props.description, "Merolin");

    // A location that gives no path falls back too.
    faults.Fail(AFX_CALL_SHGetSpecialFolderLocation, 1, 0);
    faults.Fail(AFX_CALL_SHGetPathFromIDListA, 1, -1);
    EXPECT_TRUE(Link("Merolin", ".exe", "Second", TRUE));
    EXPECT_TRUE(FileExists(g_windowsDir + "\\Desktop\\Second.lnk"));
    EXPECT_EQ(faults.Count(AFX_CALL_SHGetPathFromIDListA), 1);

    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(Shortcuts, LinkObjectThatCannotBeCreated)
{
    faults.Fail(AFX_CALL_CoCreateInstance);
    ExpectError(kCreateFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", "Merolin", FALSE));
    EXPECT_FALSE(FileExists(group + "\\Merolin.lnk"));
    EXPECT_TRUE(DirExists(group));  // the folder comes first
}

TEST_F(Shortcuts, LinkPropertiesAreSetInOrderAndEveryInterfaceIsReleased)
{
    UseFakeLink();
    EXPECT_TRUE(Link("Uninstall", ".exe", "Uninstall Merolin", FALSE));
    EXPECT_THAT(created, ElementsAre("ShellLink"));
    std::string target = app + "\\Uninstall.exe";
    EXPECT_THAT(link.calls, ElementsAre("SetDescription Uninstall Merolin", "SetIconLocation " + target + ",0",
                                        "SetPath " + target, "SetWorkingDirectory " + app, "SetShowCmd 1",
                                        "QueryInterface", "Save " + group + "\\Uninstall Merolin.lnk,TRUE"));
    EXPECT_EQ(link.refs, 0);
    EXPECT_EQ(link.persistRefs, 0);
}

TEST_F(Shortcuts, LinkWithoutFileInterface)
{
    UseFakeLink();
    link.failQuery = true;
    ExpectError(kInterfaceFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", "Merolin", FALSE));
    ASSERT_FALSE(link.calls.empty());
    EXPECT_EQ(link.calls.back(), "QueryInterface");
    EXPECT_EQ(link.refs, 0);
}

TEST_F(Shortcuts, LinkThatCannotBeSaved)
{
    UseFakeLink();
    link.saveResult = E_ACCESSDENIED;
    ExpectError(kSaveFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", "Merolin", FALSE));
    EXPECT_EQ(link.refs, 0);
    EXPECT_EQ(link.persistRefs, 0);
    // No folder the run may write links into: the same, and nothing is saved.
    link.saveResult = S_OK;
    link.calls.clear();
    ExpectError(kSaveFailed);
    EXPECT_FALSE(CreateShortcut(owner, targetDir, NULL, TRUE, "Merolin", ".exe", "Merolin"));
    EXPECT_EQ(link.calls.back(), "QueryInterface");
}

TEST_F(Shortcuts, GroupFolderThatCannotBeMadeShowsBothMessages)
{
    // A file where the program group should be: the real link cannot be saved.
    ASSERT_TRUE(::CreateDirectoryA((dir / "Start Menu").c_str(), NULL));
    WriteWholeFile(dir / "Start Menu\\Programs", "in the way");
    ExpectError("Error creating directory " + group);
    ExpectError(kSaveFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", "Merolin", FALSE));
    EXPECT_EQ(ReadWholeFile(dir / "Start Menu\\Programs"), "in the way");
}

TEST_F(Shortcuts, EachGroupLinkChecksTheFreeSpaceAgainAndIsMadeAnyway)
{
    ASSERT_EQ(SHCreateDirectoryExA(NULL, group.c_str(), NULL), ERROR_SUCCESS);
    faults.Forward().GetProcAddress = [](HMODULE, LPCSTR) -> FARPROC { return NULL; };
    faults.Forward().GetDiskFreeSpaceA = [](LPCSTR, LPDWORD spc, LPDWORD bps, LPDWORD fc, LPDWORD) -> BOOL {
        *spc = 1, *bps = 1, *fc = 499999;
        return TRUE;
    };
    ExpectError("Insufficient disk space on drive C:");
    ExpectError("Insufficient disk space on drive C:");
    EXPECT_TRUE(Link("Merolin", ".exe", "Merolin", FALSE));
    EXPECT_TRUE(Link("Merolin", ".hlp", "Merolin Help", FALSE));
    EXPECT_TRUE(FileExists(group + "\\Merolin.lnk"));
    EXPECT_TRUE(FileExists(group + "\\Merolin Help.lnk"));
}

TEST_F(Shortcuts, LinkPathBeyondTheSystemLimitIsRefusedNotCut)
{
    UseFakeLink();
    UseWindowsDesktop();
    // folder + "\" + title + ".lnk" of exactly 259 characters is saved whole ...
    g_windowsDir = "C:\\" + std::string(259 - 3 - 8 - 1 - 9 - 4, 'w');
    std::string title = "Merolin12";
    std::string linkPath = g_windowsDir + "\\Desktop\\" + title + ".lnk";
    ASSERT_EQ(linkPath.size(), 259u);
    EXPECT_TRUE(Link("Merolin", ".exe", title.c_str(), TRUE));
    ASSERT_FALSE(link.calls.empty());
    EXPECT_EQ(link.calls.back(), "Save " + linkPath + ",TRUE");

    // ... one more is refused with the save failure, and nothing is saved.
    link.calls.clear();
    link.refs = 1;
    ExpectError(kSaveFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", "Merolin123", TRUE));
    ASSERT_FALSE(link.calls.empty());
    EXPECT_EQ(link.calls.back(), "QueryInterface");
    EXPECT_EQ(link.refs, 0);
    EXPECT_EQ(link.persistRefs, 0);
}

TEST_F(Shortcuts, OverLongRealLinkPathLeavesNoFile)
{
    // Without fakes: a deep program group whose link path exceeds the limit.
    std::string deep = dir / std::string(200, 'g');
    group = deep;
    std::string title(300 - deep.size(), 't');
    ExpectError(kSaveFailed);
    EXPECT_FALSE(Link("Merolin", ".exe", title.c_str(), FALSE));
    EXPECT_TRUE(DirExists(deep));
    EXPECT_TRUE(ListDir(deep).empty());
}
