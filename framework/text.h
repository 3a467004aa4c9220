// Walking and comparing text in the system's ANSI code page, which may be a
// double-byte one: a lead byte and its trail byte are one character, and the trail
// byte may have the value of "\" or of an ASCII letter.
#pragma once
#include <windows.h>

// The character after the one at p (p itself at the terminator).
const char* AfxNextChar(const char* p);

// The ordinal case fold of a single-byte character: a-z become A-Z, nothing else
// changes, whatever the user's locale says.
inline char AfxFoldAscii(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }

// Whether the first n bytes of pszA and pszB hold the same text: a single-byte letter
// a-z matches its capital, the two bytes of a double-byte character match only
// themselves (its trail byte may look like a letter of either case).
BOOL AfxSameTextNoCase(const char* pszA, const char* pszB, int n);
