// How a run ended, as the part that ended it knows it. The opening and the install
// flow hand it up; app/ alone ends the process, with the outcome's value as its exit
// code. Deployment tools (and winget, also with windows) read these: 0 installed,
// and a retry later on 1618, as for any installer that waits for another. The build
// reads the values, one "kOutcomeName = N," a line, into winget's manifest, which gives
// each but 0 a response (cmake/write-winget.cmake).
#pragma once

enum RunOutcome {
    kOutcomeInstalled = 0,
    kOutcomeProductRunning = 1,     // not installed: Merolin runs and did not close
    kOutcomeFailed = 2,             // failed; what the run wrote is rolled back
    kOutcomeBadCommandLine = 3,     // nothing done (also after the usage, asked for with /?)
    kOutcomeUserEnded = 4,          // the user ended the run before it installed (only with windows)
    kOutcomeNewerInstalled = 5,     // silent only: a newer version is installed; nothing done
    kOutcomeNoRights = 740,         // nothing done: a run for the machine got no administrator rights
    kOutcomeAnotherInstaller = 1618,  // nothing done: another installer runs
};
