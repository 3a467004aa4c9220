// CBackdropDlg: the borderless full-screen window in the maker's colours that stays
// behind every other window of the installer, with the company name and tagline.
#pragma once
#include "afx.h"

class CBackdropDlg final : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CBackdropDlg(CWnd* pParent = NULL);
    ~CBackdropDlg();

    CFont m_fontCompany;   // IDC_COMPANY
    CFont m_fontTagline;   // IDC_TAGLINE
    HBRUSH m_hBkBrush;     // dark blue, for the window and both text controls

    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDestroy();
    // A click on the backdrop does not activate it, so it never comes above the
    // installer's dialogs and boxes.
    virtual BOOL OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

// The backdrop's colours.
const COLORREF kBackdropColour = 0x00880000;  // RGB(0, 0, 0x88)
const COLORREF kBackdropTextColour = 0x00FFFFFF;
