// CDialog (modal and modeless dialogs from templates in the program's resources)
// and dialog data exchange.
#pragma once
#include "wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds the text of control nIDC to value, in the direction pDX gives.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// Every message of a dialog reaches its object one way: the dialog procedure finds
// the object in the window's user data (set at WM_INITDIALOG) and runs the message
// map; what the map leaves alone gets the dialog manager's own handling.
class CDialog : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    ~CDialog();

    // The object of a dialog window that this framework runs, else NULL.
    static CDialog* FromDialogHandle(HWND hWnd);

    // Runs the dialog modally, centred on the screen: the value given to
    // EndDialog, or -1 when the dialog cannot be created.
    INT_PTR DoModal();
    // Creates the dialog modeless; FALSE when it cannot be created.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    void EndDialog(int nResult);

    // Moves member values into the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    void OnOK();               // IDOK: controls to members, then EndDialog(IDOK)
    virtual void OnCancel();   // IDCANCEL (Esc, close box): EndDialog(IDCANCEL)

protected:
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The window and the object part: no message reaches the object any more.
    void Detach();
    void CenterOnScreen();
    BOOL m_bModal;
};
