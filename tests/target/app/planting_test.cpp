// A "version.dll" planted beside the installer (the installer's folder is often the
// user's downloads) must never be what the installer uses. Under Wine,
// WINEDLLOVERRIDES=version=n,b makes a copy in the program's folder win over the
// system's, as a planted DLL does on Windows; this test runs with that setting.
//
// Wine's own user32 imports version.dll, so under this setting the planted copy is
// mapped into every window program started beside it before the program's first
// instruction (Windows' user32 has no such import). What the installer controls is
// which copy it takes for payload expansion: the planted VerInstallFileA leaves a
// marker when called and installs nothing.
#include "resource.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

namespace {

// "--load-version-by-name": this program, copied into the planted folder, loads the
// library the naive way and exits. It shows that the plant works at all.
struct BareLoad {
    BareLoad()
    {
        if (!strstr(::GetCommandLineA(), "--load-version-by-name"))
            return;
        typedef DWORD(WINAPI * PFN)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);
        HMODULE h = ::LoadLibraryA("version.dll");
        PFN pfn = h ? (PFN)(void*)::GetProcAddress(h, "VerInstallFileA") : NULL;
        char tmp[MAX_PATH];
        UINT n = MAX_PATH;
        ::ExitProcess(pfn ? pfn(0, "a", "b", ".", ".", ".", tmp, &n) : 1);
    }
} g_bareLoad;

class PlantedVersionDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::string(getenv("WINEDLLOVERRIDES") ? getenv("WINEDLLOVERRIDES") : "").find("version=n,b"),
                  std::string::npos);
        std::string dll = HostPathFromEnv("MEROLIN_PLANTED_DLL");
        ASSERT_FALSE(dll.empty());
        ASSERT_TRUE(::CopyFileA(dll.c_str(), (dir / "version.dll").c_str(), FALSE)) << dll;
    }
    std::string Marker() { return ReadWholeFile(dir / "version.dll.loaded"); }
    ScratchDir dir{ CurrentTestName() };
};

} // namespace

// The children of a message box, joined: its text among them.
std::string BoxTexts(HWND hBox)
{
    std::string all;
    for (HWND h = ::GetWindow(hBox, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        char buf[512] = "";
        ::GetWindowTextA(h, buf, sizeof buf);
        all += std::string(buf) + "|";
    }
    return all;
}

TEST_F(PlantedVersionDll, IsWhatAProgramGetsThatLoadsTheLibraryByName)
{
    char self[MAX_PATH];
    ::GetModuleFileNameA(NULL, self, MAX_PATH);
    ASSERT_TRUE(::CopyFileA(self, (dir / "naive.exe").c_str(), FALSE));
    HANDLE h = StartProcess(dir / "naive.exe", "--load-version-by-name", dir.Path());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WaitExit(h, 30000), 0x400u);  // what the planted function answers
    EXPECT_NE(Marker().find("VerInstallFileA called by " + (dir / "naive.exe")), std::string::npos) << Marker();
}

TEST_F(PlantedVersionDll, IsNotWhatTheInstallerUses)
{
    std::string setup = HostPathFromEnv("MEROLIN_SETUP_EXE");
    ASSERT_FALSE(setup.empty());
    ASSERT_TRUE(::CopyFileA(setup.c_str(), (dir / "MerolinSetup.exe").c_str(), FALSE)) << setup;

    // The whole way: version check, screens, installer dialog, a complete install.
    HANDLE h = StartProcess(dir / "MerolinSetup.exe", "", dir.Path());
    ASSERT_NE(h, nullptr);
    HWND hWelcome = WaitForWindow("Merolin 1.31 Installation", 60);
    if (!hWelcome) {
        ::TerminateProcess(h, 99);
        FAIL() << "the welcome screen did not come up; marker: " << Marker();
    }
    PostClick(hWelcome, IDC_OK_BTN);
    HWND hLicense = WaitForWindow("Merolin License Agreement", 30);
    ASSERT_NE(hLicense, nullptr);
    PostClick(hLicense, IDC_OK_BTN);
    HWND hInstaller = WaitForWindow("Tolvane Software - Install Merolin 1.31", 30);
    ASSERT_NE(hInstaller, nullptr);
    char target[MAX_PATH] = "";
    ::GetDlgItemTextA(hInstaller, IDC_TARGET_DIR, target, MAX_PATH);
    PostClick(hInstaller, IDC_INSTALL);

    // The end of the install, or the first error box.
    HWND hDone = NULL, hError = NULL;
    for (int i = 0; i < 1200 && !hDone && !hError; ++i) {
        hDone = ::FindWindowA("#32770", "INSTALLATION COMLETE");
        hError = ::FindWindowA("#32770", "ERROR");
        ::Sleep(50);
    }
    if (hError) {
        std::string texts = BoxTexts(hError);
        ::TerminateProcess(h, 99);
        FAIL() << "the install failed: " << texts << " marker: " << Marker();
    }
    ASSERT_NE(hDone, nullptr);
    ::PostMessageA(hDone, WM_COMMAND, IDNO, 0);  // do not start the product
    EXPECT_EQ(WaitExit(h, 30000), 0u);

    // (under Wine the marker shows the planted copy mapped into the installer all the same)
    printf("planted version.dll: %s\n", Marker().empty() ? "never loaded" : Marker().c_str());
    EXPECT_EQ(Marker().find("VerInstallFileA"), std::string::npos) << Marker();
    std::string exe = ReadWholeFile(std::string(target) + "\\Merolin.exe");
    EXPECT_GT(exe.size(), 1000u);
    EXPECT_EQ(exe.substr(0, 2), "MZ");
}
