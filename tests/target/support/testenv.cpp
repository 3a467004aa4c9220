#include "testenv.h"
#include "afx.h"
#include <gtest/gtest.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

std::string CurrentTestName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "none";
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?')
            c = '_';
    return name;
}

std::string RegexEscaped(const std::string& s)
{
    // GoogleTest's simple regular expressions: every punctuation character escaped.
    std::string r;
    for (char c : s) {
        if (strchr("\\^$.*+?()[]{}|-!\"#%&',/:;<=>@_`~", c))
            r += '\\';
        r += c;
    }
    return r;
}

std::string Flat(const std::string& s)
{
    std::string r;
    for (char c : s)
        r += c == '\r' ? std::string("<CR>") : c == '\n' ? std::string("<LF>") : std::string(1, c);
    return r;
}

namespace {
std::string g_logTag = "LOG", g_logged;
}

void StartLog(const std::string& tag)
{
    g_logTag = tag;
    g_logged.clear();
}

void Log(const std::string& event)
{
    g_logged += event + ";";
    fprintf(stderr, "%s{%s}\n", g_logTag.c_str(), g_logged.c_str());
    fflush(stderr);
}

const std::string& Logged() { return g_logged; }

std::string Sequence(const std::string& events) { return RegexEscaped(g_logTag + "{" + events + "}"); }

ScratchDir::ScratchDir(const std::string& name)
{
    char cwd[MAX_PATH];
    m_savedCwd = _getcwd(cwd, MAX_PATH) ? cwd : "C:\\";
    ::CreateDirectoryA("C:\\scratch", NULL);
    m_path = "C:\\scratch\\" + name;
    RemoveTree(m_path);
    EXPECT_TRUE(::CreateDirectoryA(m_path.c_str(), NULL)) << m_path;
}

ScratchDir::~ScratchDir()
{
    _chdir(m_savedCwd.c_str());
    _chdrive(toupper((unsigned char)m_savedCwd[0]) - 'A' + 1);
    _chdir(m_savedCwd.c_str());
    RemoveTree(m_path);
}

bool FileExists(const std::string& path)
{
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path)
{
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path)
{
    std::string data;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return data;
    char buf[65536];
    DWORD n;
    while (::ReadFile(h, buf, sizeof buf, &n, NULL) && n)
        data.append(buf, n);
    ::CloseHandle(h);
    return data;
}

void WriteWholeFile(const std::string& path, const std::string& data)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD n;
    ::WriteFile(h, data.data(), (DWORD)data.size(), &n, NULL);
    ::CloseHandle(h);
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

void RemoveTree(const std::string& path)
{
    DWORD a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& n : ListDir(path))
            RemoveTree(path + "\\" + n);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::RemoveDirectoryA(path.c_str());
    } else {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
}

std::string CurrentDir()
{
    char buf[MAX_PATH * 4];
    DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
    return std::string(buf, n);
}

std::string HostPathFromEnv(const char* variable)
{
    const char* p = getenv(variable);
    if (!p || !*p)
        return "";
    std::string s = std::string("Z:") + p;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

bool RegKeyExists(const std::string& path)
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(h);
    return true;
}

std::string RegString(const std::string& path, const std::string& name)
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "<missing>";
    DWORD type = 0, size = 0;
    std::string value = "<missing>";
    if (::RegQueryValueExA(h, name.c_str(), NULL, &type, NULL, &size) == ERROR_SUCCESS) {
        std::string buf(size, '\0');
        if (::RegQueryValueExA(h, name.c_str(), NULL, &type, (BYTE*)&buf[0], &size) == ERROR_SUCCESS) {
            buf.resize(size);
            while (!buf.empty() && buf.back() == '\0')
                buf.pop_back();
            value = buf;
        }
    }
    ::RegCloseKey(h);
    return value;
}

void RegPutString(const std::string& path, const std::string& name, const std::string& value)
{
    HKEY h;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &h, NULL), ERROR_SUCCESS)
        << path;
    ::RegSetValueExA(h, name.c_str(), 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    ::RegCloseKey(h);
}

void RegRemoveTree(const std::string& path)
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
        return;
    char name[1024];
    for (;;) {
        DWORD n = sizeof name;
        if (::RegEnumKeyExA(h, 0, name, &n, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        RegRemoveTree(path + "\\" + name);
    }
    ::RegCloseKey(h);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

void RemoveProductKeys()
{
    RegRemoveTree("SOFTWARE\\Tolvane Software");
    RegRemoveTree("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe");
    RegRemoveTree("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin");
}

bool AnyProductKey()
{
    return RegKeyExists("SOFTWARE\\Tolvane Software") ||
           RegKeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe") ||
           RegKeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin");
}

namespace {
void DumpKey(const std::string& path, std::string& out)
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return;
    out += "[" + path + "]\n";
    char name[1024];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name, size = sizeof data, type;
        if (::RegEnumValueA(h, i, name, &n, NULL, &type, data, &size) != ERROR_SUCCESS)
            break;
        out += std::string(name) + " " + std::to_string(type) + " " + std::string((char*)data, size) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD n = sizeof name;
        if (::RegEnumKeyExA(h, i, name, &n, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        DumpKey(path + "\\" + name, out);
    }
    ::RegCloseKey(h);
}
} // namespace

std::string InstallationState(const std::vector<std::string>& dirs)
{
    std::string out;
    for (const std::string& dir : dirs) {
        for (const std::string& entry : ListTree(dir)) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            ::GetFileAttributesExA((dir + "\\" + entry).c_str(), GetFileExInfoStandard, &data);
            out += entry + " " + std::to_string(data.dwFileAttributes) + " " +
                   std::to_string(data.ftLastWriteTime.dwLowDateTime) + "\n";
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                out += ReadWholeFile(dir + "\\" + entry) + "\n";
        }
    }
    for (const char* key : { "SOFTWARE\\Tolvane Software", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Merolin.exe",
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Merolin" })
        DumpKey(key, out);
    return out;
}

namespace {
struct ModalRun {
    CDialog* pDlg;
    std::function<void(HWND)> action;
    DWORD deadline;
    bool acted;
};
ModalRun* g_run;

void CALLBACK ModalTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!g_run)
        return;
    HWND h = g_run->pDlg->m_hWnd;
    if (!g_run->acted && h && ::IsWindowVisible(h)) {
        g_run->acted = true;
        g_run->action(h);
        return;
    }
    if (::GetTickCount() > g_run->deadline && h) {
        ADD_FAILURE() << "modal dialog did not end in time";
        ::EndDialog(h, -2);
        ::KillTimer(NULL, id);
    }
}
} // namespace

INT_PTR RunModal(CDialog& dlg, std::function<void(HWND)> action, int seconds)
{
    ModalRun run{ &dlg, action, ::GetTickCount() + seconds * 1000u, false };
    ModalRun* outer = g_run;
    g_run = &run;
    UINT_PTR timer = ::SetTimer(NULL, 0, 30, ModalTimer);
    INT_PTR result = dlg.DoModal();
    ::KillTimer(NULL, timer);
    g_run = outer;
    return result;
}

void ClickButton(HWND hDlg, int id)
{
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(hDlg, id));
}

void PostClick(HWND hDlg, int id)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(hDlg, id));
}

void PressKey(HWND h, WPARAM vk)
{
    HWND hFocus = ::GetFocus();
    ::PostMessageA(hFocus ? hFocus : h, WM_KEYDOWN, vk, 0);
}

void CloseBox(HWND h) { ::PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PumpMessages(int ms)
{
    DWORD end = ::GetTickCount() + ms;
    MSG msg;
    while (::GetTickCount() < end) {
        while (::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(5);
    }
}

HWND WaitForWindow(const char* title, int seconds)
{
    for (int i = 0; i < seconds * 20; ++i) {
        HWND h = ::FindWindowA(NULL, title);
        if (h && ::IsWindowVisible(h))
            return h;
        ::Sleep(50);
    }
    return NULL;
}

HANDLE StartProcess(const std::string& exe, const std::string& args, const std::string& dir)
{
    std::string cmd = "\"" + exe + "\" " + args;
    STARTUPINFOA si = { sizeof si };
    PROCESS_INFORMATION pi;
    if (!::CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.empty() ? NULL : dir.c_str(), &si,
                          &pi))
        return NULL;
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

DWORD WaitExit(HANDLE hProcess, DWORD ms)
{
    DWORD code = 259;
    if (::WaitForSingleObject(hProcess, ms) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(hProcess, &code);
    else
        ::TerminateProcess(hProcess, 99);
    ::CloseHandle(hProcess);
    return code;
}
