#include "afx.h"
#include <new>

namespace {
const int kTemporaries = 8;
// Room for the temporaries, each made anew (placement new) when it is handed out: no
// constructor runs for them at start-up, and no destructor at exit (a temporary owns
// nothing; it is never the main window).
alignas(CWnd) AFX_ZERO_INIT char g_temporaries[kTemporaries][sizeof(CWnd)];
AFX_ZERO_INIT int g_nextTemporary;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(NULL)
{
    m_current.nMsg = 0;
    m_current.wParam = 0;
    m_current.lParam = 0;
}

CWnd::~CWnd()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = NULL;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return NULL;
    if (CWnd* p = CDialog::FromDialogHandle(hWnd))
        return p;
    CWnd* p = new (g_temporaries[g_nextTemporary]) CWnd;
    g_nextTemporary = (g_nextTemporary + 1) % kTemporaries;
    p->m_hWnd = hWnd;
    return p;
}

BOOL CWnd::RouteMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    CurrentMsg saved = m_current;
    m_current.nMsg = nMsg;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
    BOOL bHandled = OnWndMsg(nMsg, wParam, lParam, pResult);
    m_current = saved;
    return bHandled;
}

LRESULT CWnd::Default()
{
    return ::DefWindowProcA(m_hWnd, m_current.nMsg, m_current.wParam, m_current.lParam);
}

BOOL CWnd::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (nMsg == WM_COMMAND) {
        if (OnCmdMsg(LOWORD(wParam), HIWORD(wParam)))
            return TRUE;
        return OnCommand(wParam, lParam);
    }

    UINT nCtlColor = 0;
    if (nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC) {
        nCtlColor = nMsg - WM_CTLCOLORMSGBOX;
        nMsg = WM_CTLCOLOR;
    }
    const AFX_MSGMAP_ENTRY* p = FindMessageEntry(nMsg, 0, 0);
    if (!p)
        return FALSE;

    switch (p->nSig) {
    case AfxSig_vv:
        (this->*p->pfn)();
        *pResult = 0;
        return TRUE;
    case AfxSig_hv:
        *pResult = (LRESULT)(this->*reinterpret_cast<HCURSOR (CCmdTarget::*)()>(p->pfn))();
        return TRUE;
    case AfxSig_bDWu: {
        CDC dc((HDC)wParam);
        *pResult = (LRESULT)(this->*reinterpret_cast<HBRUSH (CCmdTarget::*)(CDC*, CWnd*, UINT)>(p->pfn))(
            &dc, FromHandle((HWND)lParam), nCtlColor);
        return TRUE;
    }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return (HCURSOR)Default(); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return (HBRUSH)Default(); }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }

CString CWnd::GetWindowText() const
{
    CString s;
    int n = (int)::SendMessageA(m_hWnd, WM_GETTEXTLENGTH, 0, 0);  // a window of this program
    ::GetWindowTextA(m_hWnd, s.GetBuffer(n), n + 1);
    s.ReleaseBuffer();
    return s;
}

void CWnd::SetDlgItemText(int nID, const char* pszText) { ::SetDlgItemTextA(m_hWnd, nID, pszText); }

CString CWnd::GetDlgItemText(int nID) const
{
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    return hItem ? FromHandle(hItem)->GetWindowText() : CString();
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

int CWnd::MessageBox(const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    return AfxShowMessageBox(m_hWnd, pszText, pszCaption ? pszCaption : "Error", nType, nKind);
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT pRect) const { ::GetClientRect(m_hWnd, pRect); }

LRESULT CWnd::SendMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, nMsg, wParam, lParam);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}
