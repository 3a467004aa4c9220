// The one place through which every message box of the program goes:
// CWnd::MessageBox, AfxMessageBox and the boxes that have no owner window.
// A test installs its own answerer with AfxSetMessageBoxHandler.
#pragma once
#include <windows.h>

typedef int (*AfxMessageBoxHandler)(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType);

int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType);
// Installs pfn (NULL: the system's MessageBoxA again); returns the previous handler.
AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler pfn);
