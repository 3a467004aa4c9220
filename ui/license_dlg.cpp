#include "license_dlg.h"
#include "expand.h"
#include "resource_check.h"
#include "manifest.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CLicenseDlg, CDialog)
    ON_BN_CLICKED(IDC_CANCEL_BTN, OnCancelButton)
    ON_BN_CLICKED(IDC_OK_BTN, OnOkButton)
END_MESSAGE_MAP()

CLicenseDlg::CLicenseDlg(CWnd* pParent) : CDialog(IDD_LICENSE, pParent), m_strLicense("") {}

// Nothing of its own to release; declared for the class's interface.
CLicenseDlg::~CLicenseDlg() {}

void CLicenseDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_LICENSE_EDIT, m_strLicense);
}

BOOL CLicenseDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The text travels compressed, as the payload does, and is expanded here once it
    // is the one the build recorded: a damaged text is never shown garbled.
    const BYTE* pData;
    DWORD nSize;
    if (ops::LoadCheckedResource(IDR_LICENSE_TEXT, &pData, &nSize) != ops::kResourceWhole ||
        !ops::ExpandText(pData, nSize, m_strLicense)) {
        // The text is part of the installer itself: without it the file is damaged.
        // The installation goes on as if the user had agreed.
        m_strLicense.Empty();
        MessageBox(kResourceCorruptText, kErrorCaption, MB_ICONSTOP, kBoxError);
        EndDialog(IDOK);
        return TRUE;
    }
    UpdateData(FALSE);
    return TRUE;
}

void CLicenseDlg::OnCancelButton() { EndDialog(IDCANCEL); }

void CLicenseDlg::OnOkButton() { EndDialog(IDOK); }
