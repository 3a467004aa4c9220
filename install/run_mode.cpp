#include "run_mode.h"

namespace {

BOOL g_bFailed;
AfxMessageBoxHandler g_pfnAskUser;  // who answers the boxes; NULL in a silent run: nobody

// The buttons' names by their identifiers (IDOK 1 to IDNO 7).
const char* const kAnswerNames[] = { "none", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No" };

int SilentAnswer(UINT nType, AfxBoxKind nKind)
{
    if ((nType & MB_TYPEMASK) != MB_YESNO)
        return IDOK;
    return nKind == kBoxOffer ? IDNO : IDYES;
}

int AnswerAndLog(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    int nAnswer;
    const BOOL bSilent = !g_pfnAskUser;
    if (bSilent) {
        nAnswer = SilentAnswer(nType, nKind);
        g_bFailed |= nKind == kBoxError || nKind == kBoxFatal;
    } else {
        nAnswer = g_pfnAskUser(hOwner, pszText, pszCaption, nType, nKind);
    }
    CString strLine;
    strLine.Format(kLogBox, pszCaption, pszText, kAnswerNames[nAnswer >= IDOK && nAnswer <= IDNO ? nAnswer : 0],
                   bSilent ? kLogSilent : "");
    g_installLog.Write(strLine);
    return nAnswer;
}

} // namespace

BOOL BeginRun(const CRunOptions& options, const char* pszArguments, BOOL bBadCommandLine)
{
    const BOOL bLogAllowed = options.m_strLogFile.IsEmpty() || g_installLog.Open(options.m_strLogFile);
    if (g_installLog.IsOpen()) {
        CString strLine;
        if (bBadCommandLine)
            strLine.Format(kLogBadCommandLine, pszArguments);
        else
            strLine.Format(kLogStarted, kDisplayName, pszArguments);
        g_installLog.Write(strLine);
    }
    const AfxMessageBoxHandler pfnUser = AfxSetMessageBoxHandler(AnswerAndLog);
    g_pfnAskUser = options.m_bSilent ? NULL : pfnUser;
    return bLogAllowed;
}

BOOL SilentRunFailed() { return g_bFailed; }

void LogExitCode(int nExitCode)
{
    CString strLine;
    strLine.Format(kLogExitCode, nExitCode);
    g_installLog.Write(strLine);
}
