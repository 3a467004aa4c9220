#include "winapp.h"
#include "msgbox.h"
#include "text.h"
#include "wnd.h"

namespace {
CWinApp* g_pApp;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* pszAppName)
    : m_hInstance(NULL), m_lpCmdLine(""), m_strAppName(pszAppName), m_pMainWnd(NULL)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = NULL;
}

void CWinApp::SetInstance(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    if (!m_strAppName.IsEmpty())
        return;
    char szPath[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    // The file name, without its extension (after the last dot of the name, if any).
    const char* pszName = szPath;
    const char* pszEnd = NULL;
    const char* p = szPath;
    for (; *p; p = AfxNextChar(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            pszName = p + 1;
            pszEnd = NULL;
        } else if (*p == '.') {
            pszEnd = p;
        }
    }
    m_strAppName = CString(pszName, (int)((pszEnd ? pszEnd : p) - pszName));
}

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::Enable3dControlsStatic() { return TRUE; }

// The installer carries no help file: the help command has nothing to open.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : NULL; }

HINSTANCE AfxGetResourceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(NULL);
}

int AfxMessageBox(const char* pszText, UINT nType, UINT, AfxBoxKind nKind)
{
    CWnd* pMain = AfxGetMainWnd();
    const char* pszCaption = g_pApp ? (const char*)g_pApp->m_strAppName : "";
    return AfxShowMessageBox(CWnd::GetSafeHwnd(pMain), pszText, pszCaption, nType, nKind);
}

char* AfxCommandLineArguments(char* p, const char* pszModulePath)
{
    const int nModule = ::lstrlenA(pszModulePath);
    const BOOL bQuoted = *p == '"';
    if (!bQuoted && nModule > 0 && ::lstrlenA(p) >= nModule && AfxSameTextNoCase(p, pszModulePath, nModule) &&
        (p[nModule] == '\0' || p[nModule] == ' ' || p[nModule] == '\t')) {
        p += nModule;
    } else {
        for (p += bQuoted; *p && (bQuoted ? *p != '"' : *p != ' ' && *p != '\t'); ++p) {
        }
        if (bQuoted && *p == '"')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

int AfxWinMain(HINSTANCE hInstance, const char* lpCmdLine)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->SetInstance(hInstance);
    pApp->m_lpCmdLine = lpCmdLine;
    if (!pApp->InitApplication())
        return pApp->ExitInstance();
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}
