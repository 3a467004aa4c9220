// Shared fixture of the install-flow tests: the flow opened on a fake view, with the
// real payload resources, a target directory below C:\scratch, the user's program group,
// a scripted answerer for the boxes and a clean registry. The progress flags are
// process globals: every test starts at 0.
#pragma once
#include "boxes.h"
#include "fake_view.h"
#include "faults.h"
#include "install_flow.h"
#include "manifest.h"
#include "resource.h"
#include "scope.h"
#include "testenv.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

extern const char* const kRequiredFiles[4];  // in payload order
extern const char* const kSampleFiles[3];
extern const char* const kGroupLinks[3];     // program-group link files, in creation order
extern const char kCompletionText[];
extern const char kAbortQuestion[];          // flags set
extern const char kNothingQuestion[];        // no flag set
extern const char kIncompleteText[];
extern const ops::CScope kMachineScope, kUserScope;
// Where the machine's journal is.
std::string JournalPath();

void ResetProgressFlags();
std::vector<int> ProgressFlags();  // the seven, in the order they are set
// The folder the desktop link goes to.
using common::DesktopDir;
// The expanded length that a payload resource of this program announces.
DWORD PayloadLength(UINT nResourceId);

// What ShellExecuteA was asked to do (faked through the call table).
struct ShellExecuteCall {
    HWND hOwner;
    std::string verb, file, parameters, directory;
    bool hasParameters;
    int show;
};
// Takes the desktop's shell away (its automation object cannot be created), so
// that the product is started with ShellExecuteA.
void WithoutDesktopShell(PlatformFaults& faults);
// Points Forward().ShellExecuteA of faults at a recorder that starts nothing, with
// the desktop's shell taken away.
void RecordShellExecute(PlatformFaults& faults, std::vector<ShellExecuteCall>* calls);

class FlowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A directory typed into the view's target field.
    void TypeTarget(const std::string& dir) { view.target = dir; }
    // The boxes of the sequence and the rollback.
    void ExpectFatal(const std::string& text) { boxes.Expect("ERROR", text, MB_ICONSTOP, IDOK); }
    void ExpectReport(const std::string& text) { boxes.Expect("ERROR", text, MB_ICONINFORMATION, IDOK); }
    void ExpectCompletion(int answer) { boxes.Expect("INSTALLATION COMLETE", kCompletionText, MB_YESNO | MB_ICONQUESTION, answer); }
    void ExpectCancelQuestion(bool anyFlag, int answer)
    {
        boxes.Expect("Cancel Install?", anyFlag ? kAbortQuestion : kNothingQuestion, MB_YESNO | MB_ICONQUESTION, answer);
    }
    void ExpectNote(const std::string& dir)
    {
        boxes.Expect("NOTE", "Unable to remove directory " + dir, MB_ICONINFORMATION, IDOK);
    }
    void ExpectIncomplete() { boxes.Expect("Installation Incomplete", kIncompleteText, MB_ICONINFORMATION, IDOK); }

    bool ViewOpen() const { return view.IsOpen(); }
    std::string Status() const { return view.Status(); }
    std::vector<std::string> TargetFiles() const { return ListDir(target); }
    std::vector<std::string> GroupFiles() const { return ListDir(group); }
    bool DesktopLinkExists() const { return FileExists(DesktopDir() + "\\Merolin.lnk"); }

    ScriptedBoxes boxes;  // declared first: it also answers boxes of the opening
    std::unique_ptr<ScratchDir> scratch;
    std::string target;   // scratch\Apps\Merolin (not there yet)
    std::string group;    // the user's program group, as the machine's run with windows has it (not there yet)
    CRunOptions options;
    FakeView view;
    CInstallFlow flow{view, options, kMachineScope};
};
