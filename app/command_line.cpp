#include "command_line.h"
#include <ctype.h>

namespace {

BOOL IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

// Whether psz begins with the switch (given in capitals), in any letter case.
BOOL BeginsWith(const char* psz, const char* pszSwitch)
{
    for (; *pszSwitch; ++psz, ++pszSwitch) {
        if (toupper((unsigned char)*psz) != *pszSwitch)
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
            return;
        if (BeginsWith(p, "/D=")) {
            // The rest of the line; the blanks after it are not the directory's.
            int nLength = lstrlenA(p);
            while (IsBlank(p[nLength - 1]))
                --nLength;
            m_strTargetDir = CString(p + 3, nLength - 3);
            m_bBad |= m_strTargetDir.IsEmpty() || m_strTargetDir.Find('"') >= 0;
            return;
        }
        // Any other switch is one word, which runs to the next blank outside quotes.
        const char* pEnd = p;
        for (BOOL bQuoted = FALSE; *pEnd && (bQuoted || !IsBlank(*pEnd)); ++pEnd)
            bQuoted ^= *pEnd == '"';
        const CString strWord(p, (int)(pEnd - p));
        p = pEnd;
        if (::lstrcmpiA(strWord, "/S") == 0) {
            m_bSilent = TRUE;
        } else if (::lstrcmpiA(strWord, "/?") == 0) {
            m_bUsage = TRUE;
        } else if (BeginsWith(strWord, "/LOG=")) {
            // A name in quotes loses them; no file name holds a quote.
            CString strName = strWord.Right(strWord.GetLength() - 5);
            const int nLength = strName.GetLength();
            if (nLength >= 2 && strName.GetAt(0) == '"' && strName.GetAt(nLength - 1) == '"')
                strName = CString((const char*)strName + 1, nLength - 2);
            m_strLogFile = strName;
            m_bBad |= strName.IsEmpty() || strName.Find('"') >= 0;
        } else {
            m_bBad = TRUE;
        }
    }
}

void CCommandLine::ShowUsage()
{
    AfxShowMessageBox(NULL,
                      "MerolinSetup [/S] [/LOG=file] [/D=directory]\r\n\r\n"
                      "/S\tsilent: no window, and the licence counts as accepted\r\n"
                      "/LOG=file\tappend a log to the file\r\n"
                      "/D=directory\tinstall there (last, without quotes)\r\n\r\n"
                      "Exit codes of /S: 0 installed, 1 Merolin running, 2 failed, 3 bad command line",
                      "Install Merolin", MB_ICONINFORMATION);
}
