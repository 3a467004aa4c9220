#include "driver.h"

#include <stdarg.h>
#include <stdio.h>

namespace e2e {

const char* const kWelcomeTitle = "Merolin 1.31 Installation";
const char* const kLicenseTitle = "Merolin License Agreement";
const char* const kInstallerTitle = "Tolvane Software - Install Merolin 1.31";

namespace {

const ULONGLONG g_start = GetTickCount64();
int g_failures = 0;

std::string Format(const char* fmt, va_list ap)
{
    char buf[4096];
    vsnprintf(buf, sizeof buf, fmt, ap);
    return buf;
}

void Line(const char* tag, const std::string& msg)
{
    ULONGLONG ms = GetTickCount64() - g_start;
    printf("[%4u.%03u] %s%s\n", (unsigned)(ms / 1000), (unsigned)(ms % 1000), tag, msg.c_str());
    fflush(stdout);
}

// Windows that belong to the installer's fixed screens (the backdrop has no caption).
bool IsScreen(const std::string& title)
{
    return title.empty() || title == kWelcomeTitle || title == kLicenseTitle || title == kInstallerTitle;
}

std::string Buttons(HWND box)
{
    static const struct {
        int id;
        const char* name;
    } kButtons[] = {{IDOK, "OK"},          {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
                    {IDIGNORE, "Ignore"}, {IDYES, "Yes"},       {IDNO, "No"}};
    std::string s;
    for (const auto& b : kButtons) {
        HWND h = GetDlgItem(box, b.id);
        if (h && IsWindowVisible(h)) {
            if (!s.empty())
                s += ' ';
            s += b.name;
        }
    }
    return s;
}

std::string Describe(HWND w)
{
    std::string d = "\"" + Show(WindowText(w)) + "\" (class " + ClassOf(w) + ")";
    if (ClassOf(w) == "#32770" && GetDlgItem(w, kStaticText))
        d += " text \"" + Show(ControlText(w, kStaticText)) + "\" buttons [" + Buttons(w) + "]";
    return d;
}

void DumpWindows(DWORD pid)
{
    for (HWND w : TopWindows(pid))
        Log("  window %s%s", Describe(w).c_str(), IsWindowEnabled(w) ? "" : " (disabled)");
}

// On a timeout: what else is on the screen (a crash dialog, a product window...).
void DumpOtherWindows(DWORD pid)
{
    for (HWND w : TopWindows(0)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid)
            Log("  window of process %lu: %s", owner, Describe(w).c_str());
    }
}

HWND FindTop(DWORD pid, const std::string& title, bool box)
{
    for (HWND w : TopWindows(pid))
        if (WindowText(w) == title && (!box || ClassOf(w) == "#32770"))
            return w;
    return NULL;
}

// The loop of WaitWindow and WaitBox: the window of p with this title (a message box when
// isBox), waited for; another window that is not one of the screens, the end of the
// process and the timeout fail, with what is on the screen in the transcript.
HWND WaitTop(Process& p, const std::string& title, bool isBox, DWORD timeoutMs)
{
    const char* what = isBox ? "box" : "window";
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND w = FindTop(p.Id(), title, isBox))
            return w;
        for (HWND w : TopWindows(p.Id())) {
            std::string t = WindowText(w);
            if (!IsScreen(t) && t != title) {
                Log("while waiting for %s \"%s\":", what, Show(title).c_str());
                DumpWindows(p.Id());
                Fail("unexpected window %s", Describe(w).c_str());
            }
        }
        if (!p.Running()) {
            DWORD code = 0;
            GetExitCodeProcess(p.Handle(), &code);
            Fail("%s ended (exit code %lu) while waiting for %s \"%s\"", p.Name().c_str(), code, what,
                 Show(title).c_str());
        }
        if (GetTickCount64() > end) {
            Log("no %s \"%s\" after %lu ms; windows of %s:", what, Show(title).c_str(), timeoutMs, p.Name().c_str());
            DumpWindows(p.Id());
            DumpOtherWindows(p.Id());
            Fail("%s \"%s\" did not appear", what, Show(title).c_str());
        }
        Sleep(50);
    }
}

} // namespace

void Log(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string s = Format(fmt, ap);
    va_end(ap);
    Line("", s);
}

void Fail(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string s = Format(fmt, ap);
    va_end(ap);
    ++g_failures;
    Line("FAIL: ", s);
    throw Failure(s);
}

bool Check(bool ok, const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    std::string s = Format(fmt, ap);
    va_end(ap);
    if (!ok)
        ++g_failures;
    Line(ok ? "ok: " : "FAIL: ", s);
    return ok;
}

int FailureCount() { return g_failures; }

std::string Show(const std::string& s)
{
    std::string r;
    for (char c : s) {
        if (c == '\r')
            r += "\\r";
        else if (c == '\n')
            r += "\\n";
        else if (c == '"')
            r += "\\\"";
        else if (c == '\\')
            r += "\\";
        else
            r += c;
    }
    return r;
}

void Sleep(DWORD ms) { ::Sleep(ms); }

// ---- processes ----

Process::~Process()
{
    // The process is left running: a failing scenario's screenshot shows it.
    if (m_process)
        CloseHandle(m_process);
    if (m_thread)
        CloseHandle(m_thread);
}

void Process::Start(const std::string& exe, const std::string& args, const std::string& cwd, bool suspended)
{
    std::string cmd = exe.empty() ? args : "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    if (!CreateProcessA(exe.empty() ? NULL : exe.c_str(), line.data(), NULL, NULL, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, NULL, cwd.empty() ? NULL : cwd.c_str(), &si, &pi))
        Fail("cannot start %s (error %lu)", cmd.c_str(), GetLastError());
    if (suspended)
        m_thread = pi.hThread;
    else
        CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    size_t slash = exe.find_last_of('\\');
    m_name = exe.empty() ? cmd : slash == std::string::npos ? exe : exe.substr(slash + 1);
    Log("started %s (pid %lu) in %s", cmd.c_str(), m_pid, cwd.empty() ? "(inherited)" : cwd.c_str());
}

void Process::Resume()
{
    if (!m_thread || ResumeThread(m_thread) == (DWORD)-1)
        Fail("cannot resume %s", m_name.c_str());
}

bool Process::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

DWORD Process::WaitExit(DWORD timeoutMs, const char* what)
{
    if (WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        Log("%s still running after %lu ms; its windows:", m_name.c_str(), timeoutMs);
        DumpWindows(m_pid);
        DumpOtherWindows(m_pid);
        Fail("%s: %s did not end", what, m_name.c_str());
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    Log("%s ended with exit code %lu", m_name.c_str(), code);
    return code;
}

// ---- windows ----

namespace {

struct TopWindowsCtx {
    DWORD pid;
    std::vector<HWND> list;
};

// EnumWindows calls it with the system's calling convention (stdcall on i686), which a
// lambda lacks.
BOOL CALLBACK CollectTopWindow(HWND w, LPARAM lp)
{
    TopWindowsCtx* c = reinterpret_cast<TopWindowsCtx*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if ((c->pid == 0 || owner == c->pid) && IsWindowVisible(w))
        c->list.push_back(w);
    return TRUE;
}

} // namespace

std::vector<HWND> TopWindows(DWORD pid)
{
    TopWindowsCtx ctx{pid, {}};
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.list;
}

std::string ClassOf(HWND hwnd)
{
    char buf[256] = "";
    GetClassNameA(hwnd, buf, sizeof buf);
    return buf;
}

std::string WindowText(HWND hwnd)
{
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &len)) {
        // A window of a busy thread: fall back on the caption the system keeps.
        char buf[1024] = "";
        GetWindowTextA(hwnd, buf, sizeof buf);
        return buf;
    }
    std::vector<char> buf(len + 2, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                        10000, &got);
    return std::string(buf.data());
}

std::string ControlText(HWND dialog, int id)
{
    HWND ctl = GetDlgItem(dialog, id);
    if (!ctl)
        Fail("window \"%s\" has no control %d", Show(WindowText(dialog)).c_str(), id);
    return WindowText(ctl);
}

void ExpectControlText(HWND dialog, int id, const std::string& expected)
{
    std::string got = ControlText(dialog, id);
    Check(got == expected, "control %d of \"%s\" reads \"%s\"%s%s%s", id, WindowText(dialog).c_str(),
          Show(got).c_str(), got == expected ? "" : " (expected \"", got == expected ? "" : Show(expected).c_str(),
          got == expected ? "" : "\")");
}

HWND WaitWindow(Process& p, const std::string& title, DWORD timeoutMs)
{
    HWND w = WaitTop(p, title, false, timeoutMs);
    Log("window \"%s\" is up", Show(title).c_str());
    return w;
}

Box WaitBox(Process& p, const std::string& caption, DWORD timeoutMs)
{
    Box b;
    b.hwnd = WaitTop(p, caption, true, timeoutMs);
    b.caption = caption;
    // The box fills in its text while it initialises: read until it is stable.
    for (int i = 0; i < 20 && !GetDlgItem(b.hwnd, kStaticText); ++i)
        Sleep(25);
    b.text = GetDlgItem(b.hwnd, kStaticText) ? ControlText(b.hwnd, kStaticText) : "";
    b.buttons = Buttons(b.hwnd);
    Log("box \"%s\": \"%s\" [%s]", Show(caption).c_str(), Show(b.text).c_str(), b.buttons.c_str());
    return b;
}

void Answer(const Box& box, int id)
{
    Press(box.hwnd, id);
    ULONGLONG end = GetTickCount64() + 15000;
    while (IsWindow(box.hwnd) && IsWindowVisible(box.hwnd)) {
        if (GetTickCount64() > end)
            Fail("box \"%s\" did not close after button %d", Show(box.caption).c_str(), id);
        Sleep(20);
    }
}

void ExpectBox(Process& p, const std::string& caption, const std::string& text, const std::string& buttons,
               int answer)
{
    Box b = WaitBox(p, caption);
    if (b.text != text)
        Fail("box \"%s\" reads \"%s\", expected \"%s\"", Show(caption).c_str(), Show(b.text).c_str(),
             Show(text).c_str());
    if (b.buttons != buttons)
        Fail("box \"%s\" has buttons [%s], expected [%s]", Show(caption).c_str(), b.buttons.c_str(),
             buttons.c_str());
    Answer(b, answer);
}

void WaitEnabled(HWND window, DWORD timeoutMs)
{
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!IsWindowEnabled(window)) {
        if (!IsWindow(window))
            Fail("window has gone while waiting for it to be enabled");
        if (GetTickCount64() > end) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            Log("\"%s\" is still disabled; windows:", WindowText(window).c_str());
            DumpWindows(pid);
            Fail("\"%s\" stayed disabled", WindowText(window).c_str());
        }
        Sleep(50);
    }
}

void Type(HWND dialog, int id, const std::string& text)
{
    HWND ctl = GetDlgItem(dialog, id);
    if (!ctl)
        Fail("no control %d to type into", id);
    WaitEnabled(dialog);
    DWORD_PTR r;
    SendMessageTimeoutA(ctl, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 10000, &r);
    SendMessageTimeoutA(ctl, WM_CHAR, VK_BACK, 1, SMTO_ABORTIFHUNG, 10000, &r);
    for (unsigned char c : text)
        SendMessageTimeoutA(ctl, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, 10000, &r);
    std::string got = ControlText(dialog, id);
    if (got != text)
        Fail("typed \"%s\" into control %d, it holds \"%s\"", Show(text).c_str(), id, Show(got).c_str());
    Log("typed \"%s\" (%u characters) into control %d", Show(text).c_str(), (unsigned)text.size(), id);
}

void Press(HWND dialog, int id)
{
    HWND ctl = GetDlgItem(dialog, id);
    if (!ctl)
        Fail("window \"%s\" has no button %d", Show(WindowText(dialog)).c_str(), id);
    WaitEnabled(dialog);
    if (!IsWindowVisible(ctl) || !IsWindowEnabled(ctl))
        Fail("button %d of \"%s\" cannot be pressed (hidden or disabled)", id, Show(WindowText(dialog)).c_str());
    std::string label = WindowText(ctl);
    std::string title = WindowText(dialog);
    // What a click on the button sends to its window.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
    Log("pressed \"%s\" (%d) in \"%s\"", Show(label).c_str(), id, Show(title).c_str());
}

} // namespace e2e
