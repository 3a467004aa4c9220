// e2e_driver SCENARIO SOURCE_DIR BUILD_DIR
//
// Runs one end-to-end scenario inside the Wine prefix that tests/harness/wine-run made
// for it: copies the installer from BUILD_DIR/dist onto drive C: and drives it. The
// directories are Unix paths (reached through drive Z:, read only). Exit code 0 when
// every step and check passed, 1 otherwise; the transcript goes to standard output.
#include <stdio.h>
#include <string.h>

#include "checks.h"
#include "driver.h"
#include "scenarios.h"

namespace {

std::string WindowsPath(const char* unixPath)
{
    std::string p = std::string("Z:") + unixPath;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    while (p.size() > 3 && p.back() == '\\')
        p.pop_back();
    return p;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace e2e;
    std::vector<Scenario> all = Scenarios();
    if (argc != 4) {
        fprintf(stderr, "usage: e2e_driver SCENARIO SOURCE_DIR BUILD_DIR\nscenarios:");
        for (const Scenario& s : all)
            fprintf(stderr, " %s", s.name);
        fprintf(stderr, "\n");
        return 2;
    }
    const Scenario* chosen = nullptr;
    for (const Scenario& s : all)
        if (strcmp(s.name, argv[1]) == 0)
            chosen = &s;
    if (!chosen) {
        fprintf(stderr, "e2e_driver: no scenario %s\n", argv[1]);
        return 2;
    }
    Env env;
    env.sourceDir = WindowsPath(argv[2]);
    env.buildDir = WindowsPath(argv[3]);
    env.setupExe = "C:\\Setup\\MerolinSetup.exe";
    SetEnv(env);

    Log("scenario %s", chosen->name);
    try {
        // The user's desktop must be a folder of the prefix, empty, not the host's home.
        std::vector<std::string> onDesktop = ListDir(DesktopDir());
        if (!onDesktop.empty())
            Fail("the desktop %s of this prefix is not empty (%u entries, first \"%s\"): is it linked to a "
                 "home directory?",
                 DesktopDir().c_str(), (unsigned)onDesktop.size(), onDesktop[0].c_str());
        MakeDirs("C:\\Setup");
        std::string from = env.buildDir + "\\dist\\MerolinSetup.exe";
        if (!CopyFileA(from.c_str(), env.setupExe.c_str(), FALSE))
            Fail("cannot copy %s to %s", from.c_str(), env.setupExe.c_str());
        Log("copied %s to %s", from.c_str(), env.setupExe.c_str());
        chosen->run();
    } catch (const Failure&) {
        // Already in the transcript; the installer is left as it is for the screenshot.
    }
    int failures = FailureCount();
    Log("scenario %s: %s (%d failed step%s or check%s)", chosen->name, failures ? "FAILED" : "passed", failures,
        failures == 1 ? "" : "s", failures == 1 ? "" : "s");
    return failures ? 1 : 0;
}
