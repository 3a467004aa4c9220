#include "text.h"

const char* AfxNextChar(const char* p)
{
    if (!*p)
        return p;
    return ::IsDBCSLeadByte((BYTE)*p) && p[1] ? p + 2 : p + 1;
}

BOOL AfxSameTextNoCase(const char* pszA, const char* pszB, int n)
{
    for (int i = 0; i < n; ++i) {
        if (AfxNextChar(pszA + i) - (pszA + i) == 2) {
            if (pszA[i] != pszB[i] || (i + 1 < n && pszA[i + 1] != pszB[i + 1]))
                return FALSE;
            ++i;
        } else if (AfxFoldAscii(pszA[i]) != AfxFoldAscii(pszB[i])) {
            return FALSE;
        }
    }
    return TRUE;
}
