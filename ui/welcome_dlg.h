// CWelcomeDlg: the welcome screen of the start-up; OK goes on, Cancel stops.
#pragma once
#include "afx.h"

class CWelcomeDlg : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CWelcomeDlg(CWnd* pParent = NULL);
    ~CWelcomeDlg();

    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    void OnOkButton();
    void OnCancelButton();
};
