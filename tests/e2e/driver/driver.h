// The end-to-end driver: a small UI-automation layer. It runs in the same Wine prefix
// and desktop as the installer, starts it as a separate process and works it only
// through its top-level windows: captions, control texts, keystrokes and button
// clicks, the way a user (or an automation tool) would. Every step goes to the
// transcript on standard output.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

// A step that cannot go on (window not found, wrong text...): ends the scenario.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Transcript: one line per step, with the seconds since the driver started.
void Log(const char* fmt, ...);
[[noreturn]] void Fail(const char* fmt, ...);
// A check that does not stop the scenario; a false one counts as a failure.
bool Check(bool ok, const char* fmt, ...);
int FailureCount();

// Text made visible for the transcript: CR, LF and quotes escaped.
std::string Show(const std::string& s);

// Control ids of the installer's dialogs (its resource script numbers them so).
enum : int {
    kOkBtn = 1002,
    kCancelBtn = 1003,
    kLicenseEdit = 1004,
    kTargetDir = 1007,
    kBrowse = 1008,
    kStatus = 1009,
    kInstall = 1010,
    kStaticText = 0xFFFF, // a static without id (-1); the message box keeps its text there too
};

extern const char* const kWelcomeTitle;
extern const char* const kLicenseTitle;
extern const char* const kInstallerTitle;

// A process started by the driver.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Without exe, args is the whole command line, the program's path first. A process
    // started suspended runs nothing of its own until Resume.
    void Start(const std::string& exe, const std::string& args, const std::string& cwd, bool suspended = false);
    void Resume();
    DWORD Id() const { return m_pid; }
    HANDLE Handle() const { return m_process; }
    bool Running() const;
    // Waits for the end of the process; fails when it does not end in time.
    DWORD WaitExit(DWORD timeoutMs, const char* what);
    std::string Name() const { return m_name; }

private:
    HANDLE m_process = NULL;
    HANDLE m_thread = NULL;
    DWORD m_pid = 0;
    std::string m_name;
};

// A message box as the driver found it.
struct Box {
    HWND hwnd = NULL;
    std::string caption;
    std::string text;
    std::string buttons; // "OK", "OK Cancel", "Yes No" ...
};

// Waits for a visible top-level window of the process with exactly this title. Any
// other window that appears meanwhile and is not one of the known screens (a message
// box nobody expected) fails the step, with its caption and text in the transcript;
// so does the end of the process.
HWND WaitWindow(Process& p, const std::string& title, DWORD timeoutMs = 30000);
// The same for a message box: caption, then text and buttons read from it.
Box WaitBox(Process& p, const std::string& caption, DWORD timeoutMs = 30000);
// Waits for a box, checks its text and buttons, answers it and waits until it is gone.
void ExpectBox(Process& p, const std::string& caption, const std::string& text,
               const std::string& buttons, int answer);
// Presses a button of a box and waits until the box has gone.
void Answer(const Box& box, int id);

// Waits (a little) until no box of the process is open and the window is enabled again.
void WaitEnabled(HWND window, DWORD timeoutMs = 30000);

// Window and control texts, read through window messages.
std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
void ExpectControlText(HWND dialog, int id, const std::string& expected);
// Types the text into an edit control as keystrokes (select all, then one WM_CHAR
// per character) and checks that the control holds it afterwards.
void Type(HWND dialog, int id, const std::string& text);
// Presses a button: it must be visible and enabled, in an enabled window.
void Press(HWND dialog, int id);

// Visible top-level windows of a process (any process with pid 0).
std::vector<HWND> TopWindows(DWORD pid);
std::string ClassOf(HWND hwnd);

void Sleep(DWORD ms);

} // namespace e2e
