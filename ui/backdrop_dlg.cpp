#include "backdrop_dlg.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CBackdropDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// The brush is made in OnInitDialog; until then colour requests get no brush.
CBackdropDlg::CBackdropDlg(CWnd* pParent) : CDialog(IDD_BACKDROP, pParent), m_hBkBrush(NULL) {}

CBackdropDlg::~CBackdropDlg()
{
    m_fontCompany.DeleteObject();
    m_fontTagline.DeleteObject();
}

// The backdrop shows fixed texts: only the base's (empty) exchange runs.
void CBackdropDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

namespace {

// Extra-bold, variable-pitch Swiss faces; where the named face is not installed the
// font mapper picks a sans-serif face with these attributes.
HFONT CreateBackdropFont(int nHeight, int nWidth, BOOL bUnderline, const char* pszFace)
{
    return sys::CreateFontA(nHeight, nWidth, 0, 0, FW_EXTRABOLD, FALSE, bUnderline, FALSE,
                            ANSI_CHARSET, OUT_DEVICE_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                            VARIABLE_PITCH | FF_SWISS, pszFace);
}

} // namespace

BOOL CBackdropDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    int cx = sys::GetSystemMetrics(SM_CXSCREEN);
    int cy = sys::GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(0, 0, cx, cy, TRUE);
    m_hBkBrush = ::CreateSolidBrush(kBackdropColour);

    if (m_fontCompany.Attach(CreateBackdropFont(cx / 20, cy / 28, FALSE, "Tolvane_Font"))) {
        CWnd* pCompany = GetDlgItem(IDC_COMPANY);
        pCompany->MoveWindow(cx / 20, cy / 20, cx - 20, cy - 20, TRUE);
        pCompany->SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_fontCompany, 0);
    }
    if (m_fontTagline.Attach(CreateBackdropFont(cx / 40, cy / 56, TRUE, "Logo_Font"))) {
        CWnd* pTagline = GetDlgItem(IDC_TAGLINE);
        pTagline->MoveWindow(cx / 20, cy / 8, cx - 20, cy - 20, TRUE);
        pTagline->SendMessage(WM_SETFONT, (WPARAM)(HFONT)m_fontTagline, 0);
    }

    // The tagline's rectangle lies inside the company name's, below its line of text.
    // Both controls fill their whole rectangle with the background, so the company
    // control must not paint over the tagline: the tagline goes on top and the company
    // control is clipped by it. The company name keeps the band above the tagline.
    HWND hCompany = ::GetDlgItem(m_hWnd, IDC_COMPANY);
    HWND hTagline = ::GetDlgItem(m_hWnd, IDC_TAGLINE);
    if (hCompany && hTagline) {
        ::SetWindowLongA(hCompany, GWL_STYLE, ::GetWindowLongA(hCompany, GWL_STYLE) | WS_CLIPSIBLINGS);
        ::SetWindowPos(hTagline, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return TRUE;
}

HBRUSH CBackdropDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    int nID = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (nID == IDC_COMPANY || nID == IDC_TAGLINE) {
        pDC->SetTextColor(kBackdropTextColour);
        pDC->SetBkColor(kBackdropColour);
    }
    return m_hBkBrush;
}

BOOL CBackdropDlg::OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (nMsg == WM_MOUSEACTIVATE) {
        *pResult = MA_NOACTIVATE;
        return TRUE;
    }
    return CDialog::OnWndMsg(nMsg, wParam, lParam, pResult);
}

void CBackdropDlg::OnDestroy()
{
    CWnd::OnDestroy();
    if (m_hBkBrush) {
        ::DeleteObject(m_hBkBrush);
        m_hBkBrush = NULL;
    }
    m_fontCompany.DeleteObject();
    m_fontTagline.DeleteObject();
}
