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

} // namespace

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
        const char* pSwitch = p + bOpenQuote;
        if (BeginsWith(pSwitch, "/D=")) {
            // The rest of the line; the blanks after it are not the directory's, nor is
            // one separator at its end, as administrators often write it. In quotes,
            // the closing one must end the line.
            int nLength = lstrlenA(pSwitch);
            while (IsBlank(pSwitch[nLength - 1]))
                --nLength;
            if (bOpenQuote)
                m_bBad |= nLength == 3 || pSwitch[--nLength] != '"';
            if (nLength > 6 && ops::EndsWithSeparator(CString(pSwitch, nLength)))
                --nLength;
            // A directory the installer would refuse is refused here, before anything
            // is removed for it: a relative or network path, a name the system would
            // change, or a switch that slipped in behind it.
            m_options.m_strTargetDir = CString(pSwitch + 3, nLength - 3);
            m_bBad |= !ops::IsAcceptableTarget(m_options.m_strTargetDir);
            break;
        }
        // Any other switch is one word, which runs to the next blank outside quotes.
        const char* pEnd = p;
        for (BOOL bInQuotes = FALSE; *pEnd && (bInQuotes || !IsBlank(*pEnd)); ++pEnd)
            bInQuotes ^= *pEnd == '"';
        // A word in quotes loses them; one that only begins with a quote is no switch.
        const BOOL bQuotedWord = bOpenQuote && pEnd - p > 1 && pEnd[-1] == '"';
        const char* pWord = p + bQuotedWord;
        const int nWord = (int)(pEnd - p) - 2 * bQuotedWord;
        if (nWord == 2 && BeginsWith(pWord, "/S")) {
            m_options.m_bSilent = TRUE;
        } else if (nWord == 2 && BeginsWith(pWord, "/?")) {
            m_bUsage = TRUE;
        } else if (nWord == 7 && BeginsWith(pWord, "/REMOVE")) {
            m_options.m_bRemove = TRUE;
        } else if (BeginsWith(pWord, "/LOG=")) {
            // A name in quotes loses them; no file name holds a quote. A bad name
            // gives no log at all.
            const BOOL bQuoted = nWord > 6 && pWord[5] == '"' && pWord[nWord - 1] == '"';
            CString strLog(pWord + 5 + bQuoted, nWord - 5 - 2 * bQuoted);
            const BOOL bGood = !strLog.IsEmpty() && strLog.Find('"') < 0;
            m_options.m_strLogFile = bGood ? strLog : CString();
            m_bBad |= !bGood;
        } else {
            m_bBad = TRUE;
        }
        p = pEnd;
    }
    // A removal takes the installation where it is: a directory for it makes no sense.
    m_bBad |= m_options.m_bRemove && !m_options.m_strTargetDir.IsEmpty();
    // A silent run installs for the machine: nobody is there whose folders it could be for.
    m_options.m_bAllUsers = m_options.m_bSilent;
}

void CCommandLine::ShowUsage()
{
    AfxShowMessageBox(NULL, kUsageText, kInstallCaption, MB_ICONINFORMATION, kBoxNotice);
}
