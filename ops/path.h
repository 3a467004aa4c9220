// Paths as the installer reads and compares them: "\"-separated, in the system's ANSI
// code page (a double-byte character's trail byte is never taken for a separator),
// names compared as the file system does for the product's own names (a-z as A-Z).
#pragma once
#include "manifest.h"

namespace ops {

// The last name of a path (after its last "\"; the whole text when there is none).
const char* NameOf(const char* pszPath);
// The path above the last name ("C:\dir\name" gives "C:\dir"; "" when there is none).
CString ParentOf(const char* pszPath);
// Whether the two texts are the same, case aside.
BOOL SameText(const char* pszA, const char* pszB);
// Whether pszPath is pszDir itself or lies below it.
BOOL LiesBelow(const char* pszPath, const char* pszDir);
// Where the next "\" is at or after p, or the terminator.
const char* NextSeparator(const char* p);
// Whether the text's last character (not its last byte) is "\".
BOOL EndsWithSeparator(const char* psz);
// Whether the path is a full local one in the one form the system itself gives it
// (GetFullPathName's): a drive letter, ":\" and names, none of them empty, "." or
// "..", none ending in a dot or a space, no "/" or other character a name cannot
// hold, no "\" at the end, and so no "\\?\" or "\\server" start.
BOOL IsCanonicalPath(const char* pszPath);
// The path as GetFullPathName gives it; as it is when the system cannot say.
CString FullPath(const char* pszPath);

} // namespace ops
