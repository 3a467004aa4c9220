// The welcome and licence dialogs: captions, texts, the ways each one ends, and the
// licence text's load failures.
#include "boxes.h"
#include "faults.h"
#include "license_dlg.h"
#include "resource.h"
#include "testenv.h"
#include "welcome_dlg.h"
#include <gtest/gtest.h>
#include <string>

namespace {

const char kWelcomeText[] =
    "MEROLIN\r\nTest Management and administration has never been easier!\n\nClick \"OK\" to install "
    "Tolvane Software's\r\nMerolin  for Windows.";

void PressEnter(HWND h) { PressKey(h, VK_RETURN); }

// The text the licence dialog must show: res/license.txt itself.
std::string LicenseResource() { return ReadWholeFile(HostPathFromEnv("MEROLIN_LICENSE_TXT")); }

} // namespace

TEST(Welcome, CaptionTextAndEveryWayItEnds)
{
    struct Case { const char* name; void (*act)(HWND); INT_PTR result; };
    const Case cases[] = {
        { "OK button", [](HWND h) { ClickButton(h, IDC_OK_BTN); }, IDOK },
        { "Cancel button", [](HWND h) { ClickButton(h, IDC_CANCEL_BTN); }, IDCANCEL },
        { "Enter", PressEnter, IDOK },
        { "Escape", PressEscape, IDCANCEL },
        { "close box", CloseBox, IDCANCEL },
    };
    for (const Case& c : cases) {
        ScriptedBoxes boxes;  // no box is expected
        CWelcomeDlg dlg;
        std::string caption, text;
        bool visible = false;
        int needed = 0, held = 0;  // the text's height as the control draws it, and the control's
        INT_PTR r = RunModal(dlg, [&](HWND h) {
            caption = CWnd::FromHandle(h)->GetWindowText();
            HWND hText = ::GetWindow(h, GW_CHILD);  // the first control
            text = CWnd::FromHandle(hText)->GetWindowText();
            RECT rc;
            ::GetClientRect(hText, &rc);
            held = rc.bottom;
            HDC dc = ::GetDC(hText);
            HGDIOBJ old = ::SelectObject(dc, (HGDIOBJ)::SendMessageA(hText, WM_GETFONT, 0, 0));
            needed = ::DrawTextA(dc, text.c_str(), -1, &rc, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS);
            ::SelectObject(dc, old);
            ::ReleaseDC(hText, dc);
            visible = ::IsWindowVisible(h);
            c.act(h);
        });
        EXPECT_LE(needed, held) << c.name << ": the text needs more lines than its control holds";
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_EQ(caption, "Merolin 1.31 Installation") << c.name;
        EXPECT_EQ(text, kWelcomeText) << c.name;
        EXPECT_TRUE(visible) << c.name;
    }
}

TEST(License, ShowsTheWholeTextReadOnlyAndEndsAsChosen)
{
    const std::string expected = LicenseResource();
    ASSERT_EQ(expected.size(), 4028u);
    ASSERT_EQ(expected.find('\0'), std::string::npos);

    struct Case { const char* name; void (*act)(HWND); INT_PTR result; };
    const Case cases[] = {
        { "I Agree", [](HWND h) { ClickButton(h, IDC_OK_BTN); }, IDOK },
        { "Cancel button", [](HWND h) { ClickButton(h, IDC_CANCEL_BTN); }, IDCANCEL },
        { "Escape", PressEscape, IDCANCEL },
        { "close box", CloseBox, IDCANCEL },
    };
    for (const Case& c : cases) {
        ScriptedBoxes boxes;
        CLicenseDlg dlg;
        EXPECT_TRUE(dlg.m_strLicense.IsEmpty());
        std::string caption, shown;
        LONG editStyle = 0;
        INT_PTR r = RunModal(dlg, [&](HWND h) {
            caption = CWnd::FromHandle(h)->GetWindowText();
            shown = CWnd::FromHandle(h)->GetDlgItemText(IDC_LICENSE_EDIT);
            HWND hEdit = ::GetDlgItem(h, IDC_LICENSE_EDIT);
            editStyle = ::GetWindowLongA(hEdit, GWL_STYLE);
            // the user cannot change it
            ::SendMessageA(hEdit, EM_SETSEL, 0, 0);
            ::SendMessageA(hEdit, WM_CHAR, 'x', 0);
            shown += "|" + std::string(CWnd::FromHandle(h)->GetDlgItemText(IDC_LICENSE_EDIT)).substr(0, 1);
            c.act(h);
        });
        EXPECT_EQ(r, c.result) << c.name;
        EXPECT_EQ(caption, "Merolin License Agreement") << c.name;
        EXPECT_EQ(shown, expected + "|L") << c.name;
        EXPECT_NE(editStyle & ES_READONLY, 0) << c.name;
        EXPECT_NE(editStyle & ES_MULTILINE, 0) << c.name;
        EXPECT_STREQ(dlg.m_strLicense, expected.c_str()) << c.name;
    }
}

namespace {
std::string g_ownerCaption;
int RecordOwner(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind)
{
    g_ownerCaption = hOwner ? std::string(CWnd::FromHandle(hOwner)->GetWindowText()) : "<none>";
    g_ownerCaption += std::string("|") + pszCaption + "|" + pszText + "|" + std::to_string(nType);
    return IDOK;
}

DWORD WINAPI ZeroSize(HMODULE, HRSRC) { return 0; }
} // namespace

TEST(License, ALicenceThatCannotBeLoadedIsReportedOnceAndCountsAsAccepted)
{
    struct Case { const char* name; AfxCallId call; bool zeroSize; };
    const Case cases[] = {
        { "no resource", AFX_CALL_FindResourceA, false },
        { "cannot load", AFX_CALL_LoadResource, false },
        { "cannot lock", AFX_CALL_LockResource, false },
        { "empty", AFX_CALL_SizeofResource, true },
    };
    for (const Case& c : cases) {
        PlatformFaults faults;
        if (c.zeroSize)
            faults.Forward().SizeofResource = ZeroSize;
        else
            faults.Fail(c.call);
        g_ownerCaption.clear();
        AfxMessageBoxHandler previous = AfxSetMessageBoxHandler(RecordOwner);
        CLicenseDlg dlg;
        bool shown = false;
        INT_PTR r = RunModal(dlg, [&](HWND) { shown = true; }, 5);
        AfxSetMessageBoxHandler(previous);
        EXPECT_EQ(r, IDOK) << c.name;
        EXPECT_FALSE(shown) << c.name << ": the dialog came up";
        EXPECT_EQ(g_ownerCaption, "Merolin License Agreement|ERROR|Setup file is corrupted!|16") << c.name;
        EXPECT_TRUE(dlg.m_strLicense.IsEmpty()) << c.name;
        // the text looked for once; the check table besides, once the text was there
        EXPECT_EQ(faults.Count(AFX_CALL_FindResourceA), c.zeroSize ? 2 : 1) << c.name;
    }
}
