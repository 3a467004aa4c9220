#include "dialog.h"
#include "winapp.h"

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    else
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE)
{
}

CDialog::~CDialog()
{
    // The window may outlive its object (a test's, or one ended by a crash path).
    if (m_hWnd)
        Detach();
}

CDialog* CDialog::FromDialogHandle(HWND hWnd)
{
    // Only a dialog of ours keeps an object in its user data; other dialogs (boxes,
    // the folder browser) keep what their own procedures put there.
    if (!hWnd || ::GetWindowLongPtrA(hWnd, DWLP_DLGPROC) != (LONG_PTR)&CDialog::DialogProc)
        return NULL;
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
}

void CDialog::Detach()
{
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    m_hWnd = NULL;
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = NULL;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_INITDIALOG) {
        CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
        pDlg->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, (LONG_PTR)pDlg);
        if (pDlg->m_bModal)
            pDlg->CenterOnScreen();
        return pDlg->OnInitDialog();
    }
    // Messages before WM_INITDIALOG, and after the object let go, find no object.
    CDialog* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!pDlg)
        return FALSE;
    LRESULT lResult = 0;
    const BOOL bHandled = pDlg->RouteMessage(nMsg, wParam, lParam, &lResult);
    if (nMsg == WM_NCDESTROY)
        pDlg->Detach();
    if (!bHandled)
        return FALSE;
    switch (nMsg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
        return (INT_PTR)lResult;  // these few return their result directly
    }
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                        GetSafeHwnd(m_pParentWnd), &CDialog::DialogProc, (LPARAM)this);
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                     GetSafeHwnd(pParentWnd), &CDialog::DialogProc, (LPARAM)this);
    return hWnd != NULL;
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::CenterOnScreen()
{
    RECT rcWork, rc;
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0)) {
        rcWork.left = rcWork.top = 0;
        rcWork.right = ::GetSystemMetrics(SM_CXSCREEN);
        rcWork.bottom = ::GetSystemMetrics(SM_CYSCREEN);
    }
    ::GetWindowRect(m_hWnd, &rc);
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    int x = rcWork.left + (rcWork.right - rcWork.left - cx) / 2;
    int y = rcWork.top + (rcWork.bottom - rcWork.top - cy) / 2;
    ::SetWindowPos(m_hWnd, NULL, x < rcWork.left ? rcWork.left : x, y < rcWork.top ? rcWork.top : y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
