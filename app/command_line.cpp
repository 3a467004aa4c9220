#include "command_line.h"
#include "install_flow.h"
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
        if (BeginsWith(p, "/D=")) {
            // The rest of the line; the blanks after it are not the directory's, nor is
            // one separator at its end, as administrators often write it.
            int nLength = lstrlenA(p);
            while (IsBlank(p[nLength - 1]))
                --nLength;
            if (nLength > 6 && ops::EndsWithSeparator(CString(p, nLength)))
                --nLength;
            // A directory the installer would refuse is refused here, before anything
            // is removed for it: a relative or network path, a name the system would
            // change, or a switch that slipped in behind it.
            m_options.m_strTargetDir = CString(p + 3, nLength - 3);
            m_bBad |= !CInstallFlow::IsAcceptableTarget(m_options.m_strTargetDir);
            break;
        }
        // Any other switch is one word, which runs to the next blank outside quotes.
        const char* pEnd = p;
        for (BOOL bInQuotes = FALSE; *pEnd && (bInQuotes || !IsBlank(*pEnd)); ++pEnd)
            bInQuotes ^= *pEnd == '"';
        const int nWord = (int)(pEnd - p);
        if (nWord == 2 && BeginsWith(p, "/S")) {
            m_options.m_bSilent = TRUE;
        } else if (nWord == 2 && BeginsWith(p, "/?")) {
            m_bUsage = TRUE;
        } else if (BeginsWith(p, "/LOG=")) {
            // A name in quotes loses them; no file name holds a quote.
            const BOOL bQuoted = nWord > 6 && p[5] == '"' && pEnd[-1] == '"';
            CString& strLog = m_options.m_strLogFile;
            strLog = CString(p + 5 + bQuoted, nWord - 5 - 2 * bQuoted);
            m_bBad |= strLog.IsEmpty() || strLog.Find('"') >= 0;
        } else {
            m_bBad = TRUE;
        }
        p = pEnd;
    }
    // A silent run installs for the machine: nobody is there whose folders it could be for.
    m_options.m_bAllUsers = m_options.m_bSilent;
}

void CCommandLine::ShowUsage()
{
    AfxShowMessageBox(NULL, kUsageText, kInstallCaption, MB_ICONINFORMATION, kBoxNotice);
}
