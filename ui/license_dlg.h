// CLicenseDlg: the licence agreement, shown from the text resource of the installer's
// own module; "I Agree" goes on, Cancel stops.
#pragma once
#include "afx.h"

class CLicenseDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CLicenseDlg(CWnd* pParent = NULL);
    ~CLicenseDlg();

    CString m_strLicense;  // bound to IDC_LICENSE_EDIT

    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    void OnCancelButton();
    void OnOkButton();
};
