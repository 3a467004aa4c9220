#include "run_mode.h"
#include <stdlib.h>

namespace {

BOOL g_bSilent;
BOOL g_bFailed;
int g_nExitCode;
AfxMessageBoxHandler g_pfnAskUser;

// The buttons' names by their identifiers (IDOK 1 to IDNO 7).
const char* const kAnswerNames[] = { "none", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No" };

int SilentAnswer(const char* pszCaption, UINT nType)
{
    if ((nType & MB_TYPEMASK) != MB_YESNO)
        return IDOK;
    return ::lstrcmpA(pszCaption, kCompletionCaption) == 0 ? IDNO : IDYES;
}

int AnswerAndLog(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType)
{
    int nAnswer;
    if (g_bSilent) {
        nAnswer = SilentAnswer(pszCaption, nType);
        g_bFailed |= ::lstrcmpA(pszCaption, kErrorCaption) == 0;
    } else {
        nAnswer = g_pfnAskUser(hOwner, pszText, pszCaption, nType);
    }
    CString strLine;
    strLine.Format("Box \"%s\": %s -- answer: %s%s", pszCaption, pszText,
                   kAnswerNames[nAnswer >= IDOK && nAnswer <= IDNO ? nAnswer : 0], g_bSilent ? " (silent)" : "");
    g_installLog.Write(strLine);
    return nAnswer;
}

void LogExitCode()
{
    CString strLine;
    strLine.Format("Exit code %d", g_nExitCode);
    g_installLog.Write(strLine);
}

} // namespace

void BeginRun(BOOL bSilent, const CString& strLogFile, const char* pszArguments)
{
    g_bSilent = bSilent;
    if (!strLogFile.IsEmpty()) {
        g_installLog.Open(strLogFile);
        atexit(LogExitCode);  // every way out of the process passes there
        CString strLine;
        strLine.Format("%s setup started: %s", kDisplayName, pszArguments);
        g_installLog.Write(strLine);
    }
    g_pfnAskUser = AfxSetMessageBoxHandler(AnswerAndLog);
}

BOOL IsSilentRun() { return g_bSilent; }

BOOL SilentRunFailed() { return g_bFailed; }

void EndRun(int nSilentCode)
{
    g_nExitCode = g_bSilent ? nSilentCode : 0;
    exit(g_nExitCode);
}
