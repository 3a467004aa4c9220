// CSilentView: the install flow's view in a silent run, with no window at all. Its
// status line is the log, which the flow writes; its boxes are answered by the run's
// silent rules (run_mode.h), and an error box among them turns the run into a
// confirmed cancel that rolls back everything the run wrote. A removal, which has no
// window of its own, runs on it too, silent or not: its boxes are owned by nobody.
#pragma once
#include "install_flow.h"

class CSilentView : public CInstallView {
public:
    CSilentView(const CRunOptions& options, const ops::CScope& scope)
        : m_bCancelPending(FALSE), m_bInstalled(FALSE), m_flow(*this, options, scope)
    {
    }

    // Opens as the installer dialog does, installs into the options' directory (none:
    // the proposed one), rolls back after any failure; installed or failed, or
    // Merolin running from there, found before anything was changed.
    RunOutcome Run();
    RunOutcome Remove() { return m_flow.Remove(); }

private:
    virtual HWND BoxOwner() { return NULL; }
    virtual CString TargetDir() { return m_strTargetDir; }
    virtual void SetTargetDir(const CString& strDir) { m_strTargetDir = strDir; }
    // A failure on the way makes a cancel due: the completion is skipped.
    virtual BOOL IsCancelPending();
    virtual void SetCancelPending(BOOL bPending) { m_bCancelPending = bPending; }
    virtual void SetStatus(const char*) {}
    virtual void Hide() {}
    virtual void EndInstalled() { m_bInstalled = TRUE; }
    virtual void EndCancelled() {}

    BOOL m_bCancelPending;
    BOOL m_bInstalled;
    CString m_strTargetDir;
    CInstallFlow m_flow;
};
