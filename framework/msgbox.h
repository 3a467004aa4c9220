// The one place through which every message box of the program goes:
// CWnd::MessageBox, AfxMessageBox and the boxes that have no owner window.
// A test installs its own answerer with AfxSetMessageBoxHandler.
#pragma once
#include <windows.h>

// What a box is for, chosen where it is raised. A run that nobody watches answers
// a box and judges its own outcome by this, never by the box's words.
enum AfxBoxKind {
    kBoxNotice,    // tells something; OK is the only way on
    kBoxQuestion,  // asks whether to go on (Yes or OK goes on)
    kBoxOffer,     // offers something beyond the task (No declines)
    kBoxError,     // a failure after which the attempt goes on
    kBoxFatal,     // a failure that stops the attempt
};

typedef int (*AfxMessageBoxHandler)(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType,
                                    AfxBoxKind nKind);

int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind);
// Installs pfn (NULL: the system's MessageBoxA again); returns the previous handler.
AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler pfn);
