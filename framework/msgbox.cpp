#include "msgbox.h"

namespace {
int SystemMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind)
{
    return ::MessageBoxA(hOwner, pszText, pszCaption, nType);
}
AfxMessageBoxHandler g_pfnMessageBox = SystemMessageBox;
}

int AfxShowMessageBox(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    return g_pfnMessageBox(hOwner, pszText, pszCaption, nType, nKind);
}

AfxMessageBoxHandler AfxSetMessageBoxHandler(AfxMessageBoxHandler pfn)
{
    AfxMessageBoxHandler pfnOld = g_pfnMessageBox;
    g_pfnMessageBox = pfn ? pfn : SystemMessageBox;
    return pfnOld;
}
