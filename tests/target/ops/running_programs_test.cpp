// FindProgramRunningIn on process lists as Windows 9x gives them, with the program
// files' paths (the e2e tests find a real process).
#include "ops_fixture.h"
#include "running_programs.h"

namespace {
std::vector<std::string> g_listed;  // process ids 1001, 1002, ...
size_t g_next;
HANDLE WINAPI ListedSnapshot(DWORD, DWORD) { return g_next = 0, ::CreateEventA(NULL, FALSE, FALSE, NULL); }
BOOL WINAPI NextListed(HANDLE, LPPROCESSENTRY32 e)
{
    e->th32ProcessID = 1001 + g_next;
    return g_next < g_listed.size() && lstrcpynA(e->szExeFile, g_listed[g_next++].c_str(), MAX_PATH);
}
std::string Found(std::vector<std::string> list, std::vector<const char*> dirs)  // "process-id program", or ""
{
    PlatformFaults faults;
    faults.Forward().CreateToolhelp32Snapshot = ListedSnapshot;
    faults.Forward().Process32First = faults.Forward().Process32Next = NextListed;
    faults.Fail(AFX_CALL_QueryFullProcessImageNameA, 1, -1);
    g_listed = list;
    DWORD pid = 0;
    CString program;
    return FindProgramRunningIn(dirs.data(), 2, &pid, program) ? std::to_string(pid) + " " + (const char*)program : "";
}
} // namespace

TEST(RunningPrograms, DirectlyInADirectoryInAnyCaseAndDoubleByteSafely)
{
    EXPECT_EQ(Found({ "C:\\M.exe", "C:\\Merolin\\Sub\\M.exe", "c:\\MEROLIN\\M.EXE" }, { "", "C:\\Merolin\\" }),
              "1003 c:\\MEROLIN\\M.EXE");
    if (::GetACP() == 932)  // a trail byte is no separator and never folded (target.ops_tests_cp932)
        EXPECT_EQ(Found({ "C:\\\x83\x5cM.exe", "C:\\\x83\x41\\M.exe", "C:\\\x83\x5c\\M.exe" },
                        { "C:\\\x83\x5c", "C:\\\x83\x61" }), "1003 C:\\\x83\x5c\\M.exe");
}
