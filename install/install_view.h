// CInstallView: what the install flow needs of the window that runs it (or, in a
// silent run, of its stand-in without a window): the directory the user chose, the
// cancel state, a status line, the owner of their boxes, and a way to hide and to end.
#pragma once
#include "manifest.h"

class CInstallView {
public:
    virtual HWND BoxOwner() = 0;
    virtual CString TargetDir() = 0;
    virtual void SetTargetDir(const CString& strDir) = 0;
    virtual BOOL IsCancelPending() = 0;
    virtual void SetCancelPending(BOOL bPending) = 0;
    virtual void SetStatus(const char* pszText) = 0;
    virtual void Hide() = 0;
    // Ends the run: after a completed install, or after a confirmed cancel.
    virtual void EndInstalled() = 0;
    virtual void EndCancelled() = 0;

protected:
    ~CInstallView() {}
};
