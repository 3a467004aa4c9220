// CInstallFlow: the install sequence behind the Install button and the cancel with
// rollback behind the Cancel button, run for a view (the installer dialog) that it
// is handed. The progress flags of the manifest record which stages finished; the
// flow's own record (CInstallSites) says in which directories.
#pragma once
#include "install_sites.h"
#include "install_view.h"

class CInstallFlow {
public:
    explicit CInstallFlow(CInstallView& view) : m_view(view), m_bInstalling(FALSE), m_bComStarted(FALSE) {}
    // Gives back the COM that Open started.
    ~CInstallFlow();

    // The probes before any install: the proposed directory, the program group, COM,
    // and a previous installation, removed with the user's consent (declined: the
    // process ends). A directory chosen on the command line (strChosenDir, empty:
    // none) then replaces the proposal. FALSE, after saying why, when the install
    // cannot go on.
    BOOL Open(const CString& strChosenDir);
    // Looks for a previous installation (bRemove: and removes it); a "Path" that it
    // reads becomes the proposed directory.
    BOOL DetectPreviousInstall(BOOL bRemove);
    // Directory, payload, Windows directory check, shortcuts, registry, completion.
    void Install();
    // Asks, undoes what the flags record, says so and ends the view.
    void Cancel();
    // Deletes the installed file of that name from each directory that an install
    // of this run put it in; silent.
    void DeleteInstalledFile(const char* pszName);
    // Removes one directory (never its contents or parents); a "NOTE" box when it stays.
    void RemoveInstallDirectory(const CString& strPath);
    // Between the Install button and the end of its sequence (its boxes included).
    BOOL IsInstalling() const { return m_bInstalling; }

private:
    // The status line, logged.
    void Status(const char* pszText);
    void RunInstall();
    // Removes what earlier attempts of this run wrote outside the completed site: their
    // files, temporaries and the directories made for them; silent.
    void RemoveEarlierSites(const CInstallSites::Site* pCompleted);
    // Removes the directories this run made, deepest first, except those that hold
    // pszKeep (NULL: none kept); with bReport, a "NOTE" box for each that stays.
    void RemoveCreatedDirectories(const char* pszKeep, BOOL bReport);
    int Box(const char* pszText, const char* pszCaption, UINT nType);
    void ShowFatalError(const char* pszText) { Box(pszText, kErrorCaption, MB_ICONSTOP); }

    CInstallView& m_view;
    CInstallSites m_sites;
    BOOL m_bInstalling;
    BOOL m_bComStarted;
    CInstallFlow(const CInstallFlow&);
    CInstallFlow& operator=(const CInstallFlow&);
};
