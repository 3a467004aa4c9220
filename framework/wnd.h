// CWnd: a window handle with a message map. The windows that the framework creates
// are dialogs, whose dialog procedure brings their messages to the map (see
// CDialog); CWnd objects for other windows (controls) are temporaries, see FromHandle.
#pragma once
#include "cstring.h"
#include "gdi.h"
#include "msgbox.h"
#include "msgmap.h"

class CDataExchange;

class CWnd : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    CWnd();
    ~CWnd();

    HWND m_hWnd;
    static HWND GetSafeHwnd(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : NULL; }
    operator HWND() const { return m_hWnd; }

    // The object of a window the framework manages, else a temporary wrapper
    // that stays valid until several more temporaries have been made (use it
    // within the handler that asked for it). NULL for a NULL handle.
    static CWnd* FromHandle(HWND hWnd);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    void SetWindowText(const char* pszText);
    CString GetWindowText() const;
    void SetDlgItemText(int nID, const char* pszText);
    CString GetDlgItemText(int nID) const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    // A box owned by this window (caption NULL: "Error"); its kind is always the caller's.
    int MessageBox(const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind);
    BOOL ShowWindow(int nCmdShow);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    BOOL IsIconic() const;
    void GetClientRect(LPRECT pRect) const;
    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL DestroyWindow();

    // Handlers with default behaviour that derived maps may bind.
    void OnPaint();
    void OnDestroy();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    // Dispatches one message through the map; FALSE leaves it to the system.
    virtual BOOL OnWndMsg(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A WM_COMMAND the map did not handle.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

protected:
    // The window's default handling (DefWindowProc) of the message being dispatched,
    // for handlers that add to it: painting, destruction, icons, colours.
    LRESULT Default();
    // Runs one message through the map, with Default() set up for it.
    BOOL RouteMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

private:
    struct CurrentMsg { UINT nMsg; WPARAM wParam; LPARAM lParam; } m_current;

    CWnd(const CWnd&);
    CWnd& operator=(const CWnd&);
};
