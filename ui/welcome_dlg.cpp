#include "welcome_dlg.h"
#include "manifest.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CWelcomeDlg, CDialog)
    ON_BN_CLICKED(IDC_OK_BTN, OnOkButton)
    ON_BN_CLICKED(IDC_CANCEL_BTN, OnCancelButton)
END_MESSAGE_MAP()

CWelcomeDlg::CWelcomeDlg(CWnd* pParent) : CDialog(IDD_WELCOME, pParent) {}

// Nothing of its own to release; declared for the class's interface.
CWelcomeDlg::~CWelcomeDlg() {}

// The welcome screen has no data to exchange: only the base's (empty) exchange runs.
void CWelcomeDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CWelcomeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(kWelcomeTitle);
    return TRUE;
}

void CWelcomeDlg::OnOkButton() { EndDialog(IDOK); }

void CWelcomeDlg::OnCancelButton() { EndDialog(IDCANCEL); }
