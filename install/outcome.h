// How a run ended, as the part that ended it knows it. The opening and the install
// flow hand it up; app/ alone turns it into the process's exit code.
#pragma once

enum RunOutcome {
    kOutcomeInstalled,
    kOutcomeProductRunning,  // not installed: Merolin runs and did not close
    kOutcomeFailed,          // failed; what the run wrote is rolled back
    kOutcomeUserEnded,       // the user ended the run before it installed
    kOutcomeBadCommandLine,  // nothing done
    kOutcomeAnotherInstaller,  // nothing done: another installer runs
};
