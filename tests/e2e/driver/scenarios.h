// The end-to-end scenarios, by name.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Where the driver finds what it compares against (Windows paths).
struct Env {
    std::string sourceDir; // the source tree
    std::string buildDir;  // the build tree
    std::string setupExe;  // the installer, copied onto drive C:
};

struct Scenario {
    const char* name;
    std::function<void()> run;
};

void SetEnv(const Env& env);
std::vector<Scenario> Scenarios();

} // namespace e2e
