#include "command_line.h"
#include "install_flow.h"
#include "path.h"
#include "target_dir.h"

namespace {

BOOL IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// Whether psz begins with the switch (given in capitals), in any letter case.
BOOL BeginsWith(const char* psz, const char* pszSwitch)
{
    for (; *pszSwitch; ++psz, ++pszSwitch) {
        if (AfxFoldAscii(*psz) != *pszSwitch)
            return FALSE;
    }
    return TRUE;
}

// The switches that are one word and set one flag, in capitals.
const struct {
    const char* pszName;
    BOOL CRunOptions::*pbFlag;
} kFlagSwitches[] = {
    { "/S", &CRunOptions::m_bSilent },
    { "/REMOVE", &CRunOptions::m_bRemove },
    { "/CURRENTUSER", &CRunOptions::m_bCurrentUser },
    { "/NODESKTOP", &CRunOptions::m_bNoDesktop },
    { kRelaunchSwitch, &CRunOptions::m_bRelaunched },
};

} // namespace

// /D=: the rest of the line from pSwitch (past an opening quote, if any); the blanks
// after it are not the directory's, nor is one separator at its end, as administrators
// often write it. In quotes, the closing one must end the line. A directory the
// installer would refuse is refused here, before anything is removed for it: a relative
// or network path, a name the system would change, or a switch that slipped in behind it.
void CCommandLine::ParseTargetDir(const char* pSwitch, BOOL bQuoted)
{
    int nLength = lstrlenA(pSwitch);
    while (IsBlank(pSwitch[nLength - 1]))
        --nLength;
    if (bQuoted)
        m_bBad |= nLength == 3 || pSwitch[--nLength] != '"';
    if (nLength > 6 && ops::EndsWithSeparator(CString(pSwitch, nLength)))
        --nLength;
    m_options.m_strTargetDir = CString(pSwitch + 3, nLength - 3);
    m_bBad |= !ops::IsAcceptableTarget(m_options.m_strTargetDir);
}

// One word: a flag, /?, /LOG=, or nothing the installer knows.
void CCommandLine::ParseWord(const char* pWord, int nWord)
{
    for (int i = 0; i < (int)ARRAYSIZE(kFlagSwitches); ++i) {
        if (nWord == lstrlenA(kFlagSwitches[i].pszName) && BeginsWith(pWord, kFlagSwitches[i].pszName)) {
            m_options.*kFlagSwitches[i].pbFlag = TRUE;
            return;
        }
    }
    if (nWord == 2 && BeginsWith(pWord, "/?")) {
        m_bUsage = TRUE;
    } else if (BeginsWith(pWord, "/LOG=")) {
        // A name in quotes loses them; no file name holds a quote. A bad name gives no
        // log at all.
        const BOOL bQuoted = nWord > 6 && pWord[5] == '"' && pWord[nWord - 1] == '"';
        CString strLog(pWord + 5 + bQuoted, nWord - 5 - 2 * bQuoted);
        const BOOL bGood = !strLog.IsEmpty() && strLog.Find('"') < 0;
        m_options.m_strLogFile = bGood ? strLog : CString();
        m_bBad |= !bGood;
    } else {
        m_bBad = TRUE;
    }
}

void CCommandLine::Parse(const char* p)
{
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (!*p)
            break;
        // A switch may be written whole in double quotes, as launchers that quote every
        // argument with a blank write it: it is the same switch.
        const BOOL bOpenQuote = *p == '"';
        if (BeginsWith(p + bOpenQuote, "/D=")) {
            ParseTargetDir(p + bOpenQuote, bOpenQuote);
            break;
        }
        // Any other switch is one word, which runs to the next blank outside quotes.
        const char* pEnd = p;
        for (BOOL bInQuotes = FALSE; *pEnd && (bInQuotes || !IsBlank(*pEnd)); ++pEnd)
            bInQuotes ^= *pEnd == '"';
        // A word in quotes loses them; one that only begins with a quote is no switch.
        const BOOL bQuotedWord = bOpenQuote && pEnd - p > 1 && pEnd[-1] == '"';
        ParseWord(p + bQuotedWord, (int)(pEnd - p) - 2 * bQuotedWord);
        p = pEnd;
    }
    // A removal takes the installation where it is: a directory for it makes no sense.
    m_bBad |= m_options.m_bRemove && !m_options.m_strTargetDir.IsEmpty();
    // A silent run puts the links into all users' folders: nobody is there whose
    // folders they could be for. (A run for the user has no such folders: its scope
    // gives the user's.)
    m_options.m_bAllUsers = m_options.m_bSilent;
}

void CCommandLine::ShowUsage()
{
    AfxShowMessageBox(NULL, kUsageText, kInstallCaption, MB_ICONINFORMATION, kBoxNotice);
}
