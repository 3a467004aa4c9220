// StartProgram: through the automation object of the desktop's own shell window
// (shell windows -> desktop -> its browser -> its view -> the view's folder object
// -> the shell application), which runs in the user's shell process with the
// user's rights. Any step that fails falls back to ShellExecuteA.
#include "shell_start.h"
#include <exdisp.h>
#include <shldisp.h>

namespace ops {
namespace {

// A text as an automation string (BSTR): the byte length, then the wide characters
// and a NUL, which is all that the call reads of it (it passes it on to the shell's
// process). Made here, so that the automation library need not be loaded for two
// strings. NULL when the text cannot be converted.
DWORD* NewAutomationString(const char* psz)
{
    const int nLength = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, NULL, 0);
    if (nLength <= 0)
        return NULL;
    DWORD* pString = new DWORD[1 + nLength];  // room for the length and the characters
    pString[0] = (nLength - 1) * sizeof(WCHAR);
    ::MultiByteToWideChar(CP_ACP, 0, psz, -1, (LPWSTR)(pString + 1), nLength);
    return pString;
}

BOOL StartThroughDesktop(BSTR bstrProgram, BSTR bstrDir)
{
    VARIANT vNone = {}, vDir = {}, vShow = {}, vDesktop = {};
    vDir.vt = VT_BSTR;
    vDir.bstrVal = bstrDir;
    vShow.vt = VT_I4;
    vShow.lVal = SW_SHOWNORMAL;
    vDesktop.vt = VT_I4;
    vDesktop.lVal = CSIDL_DESKTOP;

    CComPtr<IShellWindows> pWindows;
    CComPtr<IDispatch> pDesktop;
    CComPtr<IServiceProvider> pProvider;
    CComPtr<IShellBrowser> pBrowser;
    CComPtr<IShellView> pView;
    CComPtr<IDispatch> pBackground;
    CComPtr<IShellFolderViewDual> pFolderView;
    CComPtr<IDispatch> pApplication;
    CComPtr<IShellDispatch2> pShell;
    long hDesktop;
    // Each step runs only when the one before it gave S_OK, and with it its object.
    HRESULT hr = sys::CoCreateInstance(CLSID_ShellWindows, NULL, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                       (void**)&pWindows);
    if (hr == S_OK)
        hr = pWindows->FindWindowSW(&vDesktop, &vNone, SWC_DESKTOP, &hDesktop, SWFO_NEEDDISPATCH, &pDesktop);
    if (hr == S_OK)
        hr = pDesktop->QueryInterface(IID_IServiceProvider, (void**)&pProvider);
    if (hr == S_OK)
        hr = pProvider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, (void**)&pBrowser);
    if (hr == S_OK)
        hr = pBrowser->QueryActiveShellView(&pView);
    if (hr == S_OK)
        hr = pView->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, (void**)&pBackground);
    if (hr == S_OK)
        hr = pBackground->QueryInterface(IID_IShellFolderViewDual, (void**)&pFolderView);
    if (hr == S_OK)
        hr = pFolderView->get_Application(&pApplication);
    if (hr == S_OK)
        hr = pApplication->QueryInterface(IID_IShellDispatch2, (void**)&pShell);
    // No verb: the program's default one, which is "open".
    const BOOL bStarted = hr == S_OK && pShell->ShellExecute(bstrProgram, vNone, vDir, vNone, vShow) == S_OK;
    return bStarted;
}

} // namespace

void StartProgram(const CString& strProgram, const CString& strDir)
{
    CHeapArray<DWORD> pProgram(NewAutomationString(strProgram));
    CHeapArray<DWORD> pDir(NewAutomationString(strDir));
    if (!pProgram || !pDir || !StartThroughDesktop((BSTR)(pProgram + 1), (BSTR)(pDir + 1)))
        sys::ShellExecuteA(NULL, "open", strProgram, NULL, strDir, SW_SHOWNORMAL);
}

} // namespace ops
