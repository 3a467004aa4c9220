// Thin owners of GDI objects and device contexts.
#pragma once
#include <windows.h>

class CWnd;

class CGdiObject {
public:
    CGdiObject() : m_hObject(NULL) {}
    ~CGdiObject() { DeleteObject(); }
    // Takes ownership of hObject; FALSE (and nothing held) when hObject is NULL.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    HGDIOBJ m_hObject;

private:
    CGdiObject(const CGdiObject&);
    CGdiObject& operator=(const CGdiObject&);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return (HFONT)m_hObject; }
};

// A device context that the object does not own (e.g. one handed to OnCtlColor).
class CDC {
public:
    explicit CDC(HDC hDC = NULL) : m_hDC(hDC) {}
    COLORREF SetTextColor(COLORREF cr) { return ::SetTextColor(m_hDC, cr); }
    COLORREF SetBkColor(COLORREF cr) { return ::SetBkColor(m_hDC, cr); }
    int SetBkMode(int nMode) { return ::SetBkMode(m_hDC, nMode); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    HDC GetSafeHdc() const { return m_hDC; }
    HDC m_hDC;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};
