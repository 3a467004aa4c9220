// CInstallFlow: the opening probes, the install sequence behind the Install button
// and the cancel with rollback behind the Cancel button, run as the run's options
// say for a view (the installer dialog, or a stand-in without a window) that it is
// handed. The run's journal (ops::CJournal) holds what the run made and set aside,
// and the rollback undoes exactly that; the progress flags only say whether any
// stage has finished. The flow knows how the run ended. Everything it touches is in
// the run's scope (ops::CScope: the machine's places, or the user's), made by app/.
#pragma once
#include "install_view.h"
#include "journal.h"
#include "outcome.h"
#include "run_options.h"
#include "settle.h"

class CInstallFlow {
public:
    CInstallFlow(CInstallView& view, const CRunOptions& options, const ops::CScope& scope)
        : m_view(view), m_options(options), m_journal(scope, LogNote), m_bNoDesktop(options.m_bNoDesktop), m_bCopyInPlace(FALSE),
          m_bInstalling(FALSE), m_bComStarted(FALSE), m_outcome(kOutcomeUserEnded)
    {
    }
    // Settles the run's journal (a run that did not complete gives back what it set
    // aside) and gives back the COM that Open started.
    ~CInstallFlow();

    // The probes before any install: the proposed directory, the program group, COM,
    // and a previous installation, removed with the user's consent. A target
    // directory of the options then replaces the proposal. FALSE, after saying why,
    // when the run cannot go on (Outcome says how it ended).
    BOOL Open();
    // Directory, payload, Windows directory check, shortcuts, registry, completion.
    void Install();
    // Asks, undoes what the journal holds, puts back what the run set aside, says so
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
    // Starts the run's journal on disk; FALSE after saying why.
    BOOL StartJournal();
    // bDone, after saying that the journal could not take a step when it is FALSE.
    BOOL Recorded(BOOL bDone);
    // The directory's words, its drive and the drive's free space, checked as the
    // directory stage will check them, and the directory entered as the journal's site;
    // FALSE after saying why.
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
    // The directory stage: the journal's site of the attempt, held; kNoPlace after a box.
    int EnterTargetDirectory();
    BOOL InstallPayload(int nSite);
    BOOL CreateShortcuts();
    // The places of the links (the desktop's kNoPlace without one) and each link the
    // run writes there, recorded; FALSE when a link there cannot be kept.
    BOOL RecordLinks(int* pnDesktop, int* pnGroup);
    BOOL WriteRegistry();
    // Earlier attempts of this run in other directories leave nothing behind; then the
    // completion, unless a cancel is under way, and the view ends.
    void Complete(int nSite);

    CInstallView& m_view;
    const CRunOptions& m_options;
    ops::CJournal m_journal;  // what the run set aside and made, on disk; its scope is the run's
    const ops::CScope& Scope() const { return m_journal.Scope(); }
    BOOL m_bNoDesktop;  // no desktop link: asked for, or the choice of the installation found
    BOOL m_bCopyInPlace;  // the installer's copy there is this installer already: it stays
    BOOL m_bInstalling;
    BOOL m_bComStarted;
    RunOutcome m_outcome;
    CInstallFlow(const CInstallFlow&);
    CInstallFlow& operator=(const CInstallFlow&);
};
