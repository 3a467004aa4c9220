// CInstallFlow: the opening probes, the install sequence behind the Install button
// and the cancel with rollback behind the Cancel button, run as the run's options
// say for a view (the installer dialog, or a stand-in without a window) that it is
// handed. The run's record (ops::CRecordFile) holds what the run made and set aside,
// and the rollback undoes exactly that; the progress flags only say whether any
// stage has finished. The flow knows how the run ended. Everything it touches is in
// the run's scope (ops::CScope: the machine's places, or the user's).
#pragma once
#include "install_record.h"
#include "install_view.h"
#include "outcome.h"
#include "record_file.h"
#include "run_options.h"
#include "settle.h"

class CInstallFlow {
public:
    CInstallFlow(CInstallView& view, const CRunOptions& options)
        : m_view(view), m_options(options), m_runRecord(ops::CScope(options.m_bCurrentUser)),
          m_bNoDesktop(options.m_bNoDesktop), m_bInstalling(FALSE), m_bComStarted(FALSE),
          m_outcome(kOutcomeUserEnded)
    {
    }
    // Settles the run's record (a run that did not complete gives back what it set
    // aside) and gives back the COM that Open started.
    ~CInstallFlow();

    // The probes before any install: the proposed directory, the program group, COM,
    // and a previous installation, removed with the user's consent. A target
    // directory of the options then replaces the proposal. FALSE, after saying why,
    // when the run cannot go on (Outcome says how it ended).
    BOOL Open();
    // Directory, payload, Windows directory check, shortcuts, registry, completion.
    void Install();
    // Asks, undoes what the record holds, puts back what the run set aside, says so
    // and ends the view.
    void Cancel();
    // Removes the installation that the machine names, after asking; says how it
    // ended. Installed (0) also when there was nothing to remove; failed, everything
    // put back, when a file of it cannot go.
    RunOutcome Remove();
    // Between the Install button and the end of its sequence (its boxes included).
    BOOL IsInstalling() const { return m_bInstalling; }
    // Installed once the sequence completed; failed when the opening could not go on;
    // Merolin running when a process runs from its directory; else the user ended the run.
    RunOutcome Outcome() const { return m_outcome; }

private:
    // The status line, logged.
    void Status(const char* pszText);
    int Box(const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind);
    void ShowError(const char* pszText, AfxBoxKind nKind) { Box(pszText, kErrorCaption, MB_ICONSTOP, nKind); }

    // The proposed target directory (shown in the view) and the program group.
    void ProposeDirectories();
    // Looks for a previous installation; a "Path" that it reads becomes the proposed
    // directory.
    BOOL DetectPreviousInstall();
    // Starts the run's record on disk; FALSE after saying why.
    BOOL StartRecord();
    // bDone, after saying that the record could not take a step when it is FALSE.
    BOOL Recorded(BOOL bDone);
    // Adds each directory of the path that is not there yet, the topmost first, so
    // that the chain is on the record before it is made.
    void RecordMissingChain(const CString& strDir);
    // The directory's words, its drive and the drive's free space, checked as the
    // directory stage will check them; FALSE after saying why.
    BOOL CheckTargetFirst(const CString& strDir);
    // Ends the run (says so, sets the outcome, TRUE) when a process of any session runs
    // from the proposed directory (the previous installation's, once its "Path" is
    // read) or the options' one; FALSE when none does.
    BOOL EndIfProgramRunsThere();
    // Logs the version of the installation found against this one's; a silent run over
    // a newer one ends there (sets the outcome, TRUE) before anything is removed.
    BOOL EndIfNewerInstalled();
    // The stages of the install sequence; each says FALSE after a failure that stops it.
    void RunInstall();
    CInstallRecord::Site* EnterTargetDirectory();
    BOOL InstallPayload(CInstallRecord::Site* pSite);
    BOOL CreateShortcuts();
    BOOL WriteRegistry();
    void Complete(const CInstallRecord::Site* pSite);

    // Undoes what earlier attempts of this run did outside the completed site: their
    // files and temporaries go, what they set aside comes back, the directories made
    // for them go; silent.
    void RemoveEarlierSites(const CInstallRecord::Site* pCompleted);

    CInstallView& m_view;
    const CRunOptions& m_options;
    CInstallRecord m_record;
    ops::CRecordFile m_runRecord;  // what the run set aside and made, on disk; its scope is the run's
    const ops::CScope& Scope() const { return m_runRecord.Scope(); }
    BOOL m_bNoDesktop;  // no desktop link: asked for, or the choice of the installation found
    BOOL m_bInstalling;
    BOOL m_bComStarted;
    RunOutcome m_outcome;
    CInstallFlow(const CInstallFlow&);
    CInstallFlow& operator=(const CInstallFlow&);
};
