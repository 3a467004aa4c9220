// CWinApp: the one application object of the program, and the process-wide
// helpers that reach it.
#pragma once
#include "msgbox.h"
#include "msgmap.h"
#include "cstring.h"

class CWnd;

class CWinApp : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    // pszAppName NULL: the title is the executable's file name without extension.
    explicit CWinApp(const char* pszAppName = NULL);
    ~CWinApp();

    virtual BOOL InitApplication();
    virtual BOOL InitInstance();
    int Run();                   // the message loop, then ExitInstance()
    virtual int ExitInstance();  // the process's exit code

    // Three-dimensional controls are the system's own look since Windows 95 and
    // NT 4: nothing is left to switch on, and the call reports success.
    BOOL Enable3dControlsStatic();
    void OnHelp();

    // Fills in the instance handle and the title; the entry point calls it.
    void SetInstance(HINSTANCE hInstance);

    HINSTANCE m_hInstance;
    const char* m_lpCmdLine;  // the arguments, without the program's name; never NULL
    CString m_strAppName;
    CWnd* m_pMainWnd;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();
// A box owned by the main window (if any), captioned with the application title; its
// kind is always the caller's.
int AfxMessageBox(const char* pszText, UINT nType, UINT nIDHelp, AfxBoxKind nKind);
// The arguments of a command line: what follows the program's name (which may stand
// in quotes) and the blanks after it. A name given unquoted that is the program's own
// full path (pszModulePath) is taken whole, blanks included: a launcher that leaves
// the quotes off "C:\My Downloads\Setup.exe" has passed no argument.
char* AfxCommandLineArguments(char* pszCommandLine, const char* pszModulePath);
// The entry point's body: runs the application object with the command line's
// arguments; returns the exit code.
int AfxWinMain(HINSTANCE hInstance, const char* lpCmdLine);
