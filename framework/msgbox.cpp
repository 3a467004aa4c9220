#include "msgbox.h"

namespace {
int SystemMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind)
{
    return ::MessageBoxA(hOwner, pszText, pszCaption, nType);
}
// The installed handler; NULL (as it starts) for the system's box. Starting at zero, it
// takes no room in the exe's file: an initialised pointer would need a data section.
AfxMessageBoxHandler g_pfnMessageBox;
AfxMessageBoxHandler CurrentHandler() { return g_pfnMessageBox ? g_pfnMessageBox : SystemMessageBox; }
}

int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    return CurrentHandler()(hOwner, pszText, pszCaption, nType, nKind);
}

AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler pfn)
{
    AfxMessageBoxHandler pfnOld = CurrentHandler();
    g_pfnMessageBox = pfn;
    return pfnOld;
}
