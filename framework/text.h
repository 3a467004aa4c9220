// Walking and comparing text in the system's ANSI code page, which may be a
// double-byte one: a lead byte and its trail byte are one character, and the trail
// byte may have the value of "\" or of an ASCII letter.
#pragma once
#include <windows.h>

// The character after the one at p (p itself at the terminator).
inline const char* AfxNextChar(const char* p)
{
    if (!*p)
        return p;
    return ::IsDBCSLeadByte((BYTE)*p) && p[1] ? p + 2 : p + 1;
}

// The ordinal case fold of a single-byte character: a-z become A-Z, nothing else
// changes, whatever the user's locale says.
inline char AfxFoldAscii(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }
