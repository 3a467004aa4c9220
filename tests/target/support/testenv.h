// Helpers for component tests: scratch directories, files, registry, and driving
// modal dialogs from inside their own message loop.
#pragma once
#include <windows.h>
#include "test_helpers.h"
#include <functional>
#include <string>
#include <vector>

class CDialog;

// A fresh, empty directory C:\scratch\<name> made for one test, removed with all its
// contents by the destructor. The process's current directory is restored too.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
    std::string m_savedCwd;
};

std::string CurrentTestName();  // Suite_Test of the running gtest case
// s as a GoogleTest regular expression matching s literally (for death-test output).
std::string RegexEscaped(const std::string& s);
// s with CR and LF made visible as <CR> and <LF>.
std::string Flat(const std::string& s);

// The transcript of a death test: Log appends "event;" and writes the whole transcript so
// far to stderr as TAG{event;...}, so that the parent sees every event however the child
// ends. StartLog empties it and sets TAG; Sequence(events) matches TAG{events} literally.
void StartLog(const std::string& tag);
void Log(const std::string& event);
const std::string& Logged();
std::string Sequence(const std::string& events);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
void RemoveTree(const std::string& path);
using common::ListDir;  // names, without "." and ".."
// Every file below dir, as paths relative to it (directories end in "\").
std::vector<std::string> ListTree(const std::string& dir);
std::string CurrentDir();
// The Unix path held by an environment variable, as a Windows path on drive Z: ("" when unset).
std::string HostPathFromEnv(const char* variable);

// Registry below HKEY_LOCAL_MACHINE.
bool RegKeyExists(const std::string& path);
// The REG_SZ value, or "<missing>" when key or value are not there.
std::string RegString(const std::string& path, const std::string& name);
void RegPutString(const std::string& path, const std::string& name, const std::string& value);
void RegRemoveTree(const std::string& path);
// The product's three keys and the vendor branch, for a clean start.
void RemoveProductKeys();
// Whether any of them is there.
bool AnyProductKey();
// What an installation is, to compare before and after: the listing of each directory
// with every file's bytes, attributes and write time, then the product's keys (the
// maker's branch included) with every value.
std::string InstallationState(const std::vector<std::string>& dirs);

// Runs dlg.DoModal(); once its window is up, `action` runs inside the dialog's own
// message loop with the dialog's handle. If the dialog does not end within
// `seconds`, the test fails and the dialog is ended with -2.
INT_PTR RunModal(CDialog& dlg, std::function<void(HWND)> action, int seconds = 20);
// Sends a button click notification for control id to the dialog.
void ClickButton(HWND hDlg, int id);
// The same click posted (for a window of another process, or from inside a timer).
void PostClick(HWND hDlg, int id);
// Presses a key as a user does: a WM_KEYDOWN posted to the focus (to h when nothing has it).
void PressKey(HWND h, WPARAM vk);
inline void PressEscape(HWND h) { PressKey(h, VK_ESCAPE); }
// Clicks the close box of the window h.
void CloseBox(HWND h);
// Pumps this thread's messages for about `ms` milliseconds.
void PumpMessages(int ms);
// The visible top-level window with this title, waited for up to `seconds` (NULL if none).
HWND WaitForWindow(const char* title, int seconds);

// Starts `exe args` in dir (this process's current directory when ""): the process
// handle, NULL when it cannot be started.
HANDLE StartProcess(const std::string& exe, const std::string& args, const std::string& dir = "");
// Waits up to ms for the process to end and closes its handle: its exit code, or 259
// when it was still running (it is then terminated).
DWORD WaitExit(HANDLE hProcess, DWORD ms);
