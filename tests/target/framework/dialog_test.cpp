// Dialogs from a resource template: modal and modeless runs, message maps,
// data exchange, the framework's default OK/Cancel handling.
#include "afx.h"
#include "framework_test_ids.h"
#include "testenv.h"
#include <gtest/gtest.h>

namespace {

class CBaseTestDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    CBaseTestDlg() : CDialog(IDD_TEST) {}
    CString m_strText;
    int m_nGoBase = 0;
    int m_nChanges = 0;
    int m_nDestroys = 0;
    UINT m_nLastCtlColor = 0xFFFF;
    int m_nLastCtlColorId = 0;
    HBRUSH m_hBrush = (HBRUSH)::GetStockObject(BLACK_BRUSH);
    int m_nEndInInit = 0;

    virtual void DoDataExchange(CDataExchange* pDX)
    {
        DDX_Text(pDX, IDC_T_EDIT, m_strText);
    }
    virtual BOOL OnInitDialog()
    {
        CDialog::OnInitDialog();
        if (m_nEndInInit)
            EndDialog(m_nEndInInit);
        return TRUE;
    }
    void OnGo() { ++m_nGoBase; }
    void OnChangeEdit()
    {
        ++m_nChanges;
        UpdateData(TRUE);
    }
    void OnDestroy()
    {
        ++m_nDestroys;
        CDialog::OnDestroy();
    }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
        m_nLastCtlColor = nCtlColor;
        m_nLastCtlColorId = pWnd ? pWnd->GetDlgCtrlID() : 0;
        return m_hBrush;
    }
};

BEGIN_MESSAGE_MAP(CBaseTestDlg, CDialog)
    ON_BN_CLICKED(IDC_T_GO, OnGo)
    ON_EN_CHANGE(IDC_T_EDIT, OnChangeEdit)
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// A derived map takes precedence; what it does not bind falls to the base map.
class CDerivedTestDlg : public CBaseTestDlg {
    DECLARE_MESSAGE_MAP()
public:
    int m_nGoDerived = 0;
    void OnGoDerived()
    {
        ++m_nGoDerived;
        EndDialog(7);
    }
};

BEGIN_MESSAGE_MAP(CDerivedTestDlg, CBaseTestDlg)
    ON_BN_CLICKED(IDC_T_GO, OnGoDerived)
END_MESSAGE_MAP()

} // namespace

TEST(Dialog, ModelessFromTemplateDispatchesThroughItsMap)
{
    CBaseTestDlg dlg;
    dlg.m_strText = "initial";
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    ASSERT_NE(dlg.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandle(dlg.m_hWnd), &dlg);
    EXPECT_EQ(dlg.GetWindowText(), CString("Framework test"));
    // members to controls
    EXPECT_EQ(dlg.GetDlgItemText(IDC_T_EDIT), CString("initial"));

    ClickButton(dlg.m_hWnd, IDC_T_GO);
    ClickButton(dlg.m_hWnd, IDC_T_GO);
    EXPECT_EQ(dlg.m_nGoBase, 2);

    // typing in the edit: the notification runs the handler, which pulls the text
    int nBefore = dlg.m_nChanges;
    ::SetWindowTextA(::GetDlgItem(dlg.m_hWnd, IDC_T_EDIT), "typed by the user");
    EXPECT_GT(dlg.m_nChanges, nBefore);
    EXPECT_STREQ(dlg.m_strText, "typed by the user");

    // colour requests reach OnCtlColor with the kind and the control
    HDC hdc = ::GetDC(dlg.m_hWnd);
    LRESULT r = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)hdc,
                               (LPARAM)::GetDlgItem(dlg.m_hWnd, IDC_T_LABEL));
    ::ReleaseDC(dlg.m_hWnd, hdc);
    EXPECT_EQ((HBRUSH)r, dlg.m_hBrush);
    EXPECT_EQ(dlg.m_nLastCtlColor, (UINT)CTLCOLOR_STATIC);
    EXPECT_EQ(dlg.m_nLastCtlColorId, IDC_T_LABEL);

    // temporary wrappers for controls, the object itself for the dialog
    CWnd* pEdit = dlg.GetDlgItem(IDC_T_EDIT);
    ASSERT_NE(pEdit, nullptr);
    EXPECT_NE(pEdit, &dlg);
    EXPECT_EQ(pEdit->GetDlgCtrlID(), IDC_T_EDIT);
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);

    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_nDestroys, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(Dialog, DataExchangeBothWays)
{
    CBaseTestDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    dlg.m_strText = "C:\\Program Files\\Merolin";
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_T_EDIT), CString("C:\\Program Files\\Merolin"));
    dlg.SetDlgItemText(IDC_T_EDIT, "D:\\Apps");
    dlg.m_strText = "stale";
    dlg.UpdateData(TRUE);
    EXPECT_STREQ(dlg.m_strText, "D:\\Apps");
    dlg.SetDlgItemText(IDC_T_EDIT, "");
    dlg.UpdateData(TRUE);
    EXPECT_TRUE(dlg.m_strText.IsEmpty());
    dlg.DestroyWindow();
}

TEST(Dialog, ModalRunEndsWithTheHandlersValue)
{
    CDerivedTestDlg dlg;
    INT_PTR r = RunModal(dlg, [](HWND h) { ClickButton(h, IDC_T_GO); });
    EXPECT_EQ(r, 7);
    EXPECT_EQ(dlg.m_nGoDerived, 1);
    EXPECT_EQ(dlg.m_nGoBase, 0);
    EXPECT_EQ(dlg.m_nDestroys, 1);  // the base map still binds WM_DESTROY
}

TEST(Dialog, DefaultOkAndCancel)
{
    CBaseTestDlg ok;
    INT_PTR r = RunModal(ok, [](HWND h) {
        ::SetDlgItemTextA(h, IDC_T_EDIT, "accepted");
        ClickButton(h, IDOK);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_STREQ(ok.m_strText, "accepted");

    CBaseTestDlg esc;
    r = RunModal(esc, PressEscape);
    EXPECT_EQ(r, IDCANCEL);

    CBaseTestDlg closeBox;
    r = RunModal(closeBox, CloseBox);
    EXPECT_EQ(r, IDCANCEL);
}

TEST(Dialog, EndedDuringInitialisationNeverShows)
{
    CBaseTestDlg dlg;
    dlg.m_nEndInInit = IDOK;
    bool shown = false;
    INT_PTR r = RunModal(dlg, [&](HWND) { shown = true; }, 3);
    EXPECT_EQ(r, IDOK);
    EXPECT_FALSE(shown);
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    CDialog dlg(IDD_MISSING);
    EXPECT_EQ(dlg.DoModal(), -1);
    CDialog modeless(IDD_MISSING);
    EXPECT_FALSE(modeless.Create(IDD_MISSING));
}

TEST(Dialog, ModalDialogIsCentredOnTheScreen)
{
    CBaseTestDlg dlg;
    RECT rc{}, work{};
    RunModal(dlg, [&](HWND h) {
        ::GetWindowRect(h, &rc);
        ClickButton(h, IDCANCEL);
    });
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    EXPECT_NEAR(cx, (work.left + work.right) / 2, 2);
    EXPECT_NEAR(cy, (work.top + work.bottom) / 2, 2);
}
