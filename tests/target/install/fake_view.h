// FakeView: the install flow's view without the installer dialog. It keeps what the
// flow tells it (every status text, the target directory, the cancel state, whether
// it was hidden and how it ended) and lends the flow's boxes a plain hidden window.
#pragma once
#include "install_view.h"
#include <string>
#include <vector>

class FakeView : public CInstallView {
public:
    enum Ending { kNotEnded, kEndedInstalled, kEndedCancelled };

    FakeView() : owner(::CreateWindowExA(0, "STATIC", "Boxes' owner", WS_OVERLAPPED, 0, 0, 10, 10, NULL, NULL, NULL, NULL)) {}
    ~FakeView() { ::DestroyWindow(owner); }

    // Still in front of the user: neither hidden nor ended.
    bool IsOpen() const { return !hidden && ending == kNotEnded; }
    // The status line now ("" before the first).
    std::string Status() const { return statuses.empty() ? "" : statuses.back(); }

    HWND BoxOwner() override { return owner; }
    CString TargetDir() override { return target.c_str(); }
    void SetTargetDir(const CString& strDir) override { target = strDir; }
    BOOL IsCancelPending() override { return cancelPending; }
    void SetCancelPending(BOOL bPending) override { cancelPending = bPending; }
    void SetStatus(const char* pszText) override { statuses.push_back(pszText); }
    void Hide() override { hidden = true; }
    void EndInstalled() override { ending = kEndedInstalled; }
    void EndCancelled() override { ending = kEndedCancelled; }

    HWND owner;
    std::string target;  // what the user typed, or what the flow put there
    BOOL cancelPending = FALSE;
    std::vector<std::string> statuses;
    bool hidden = false;
    Ending ending = kNotEnded;
};
