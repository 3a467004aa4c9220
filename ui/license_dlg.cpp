#include "license_dlg.h"
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

    // The resource type is stored as "TEXT"; the lookup ignores the case of type names.
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hFound = sys::FindResourceA(hModule, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), "Text");
    HGLOBAL hLoaded = hFound ? sys::LoadResource(hModule, hFound) : NULL;
    DWORD nSize = 0;
    const char* pData = NULL;
    if (hLoaded) {
        nSize = sys::SizeofResource(hModule, hFound);
        pData = (const char*)sys::LockResource(hLoaded);
    }
    if (!pData || nSize == 0) {
        // The text is part of the installer itself: without it the file is damaged.
        // The installation goes on as if the user had agreed.
        MessageBox(kResourceCorruptText, kErrorCaption, MB_ICONSTOP, kBoxError);
        EndDialog(IDOK);
        return TRUE;
    }

    // The resource carries no terminating NUL: its size bounds the text.
    m_strLicense = CString(pData, (int)nSize);
    UpdateData(FALSE);
    return TRUE;
}

void CLicenseDlg::OnCancelButton() { EndDialog(IDCANCEL); }

void CLicenseDlg::OnOkButton() { EndDialog(IDOK); }
