// Paths as the installer reads and compares them: "\"-separated, in the system's ANSI
// code page (a double-byte character's trail byte is never taken for a separator),
// names compared as the file system does for the product's own names (a-z as A-Z).
#pragma once
#include "manifest.h"

namespace ops {

// Where the next "\" is at or after p, or the terminator.
const char* NextSeparator(const char* p);

// The names of a path one after the other, from an offset on (3 in "X:\...": the
// names below the root); each ends at the next "\" or at the path's end, so a path
// that ends in "\" ends with an empty name. The one walk over a path's names.
class CPathWalk {
public:
    CPathWalk(const char* pszPath, int nFrom) : m_pszPath(pszPath), m_pName(NULL), m_pEnd(pszPath + nFrom) {}
    // Moves to the next name; FALSE after the last.
    BOOL Next();
    const char* Name() const { return m_pName; }
    const char* End() const { return m_pEnd; }
    BOOL IsLast() const { return !*m_pEnd; }
    // The path up to the end of the name ("C:\a" of "C:\a\b" at "a").
    CString Head() const { return CString(m_pszPath, (int)(m_pEnd - m_pszPath)); }

private:
    const char* m_pszPath;
    const char* m_pName;
    const char* m_pEnd;
};

// The last name of a path (after its last "\"; the whole text when there is none).
const char* NameOf(const char* pszPath);
// The path above the last name ("C:\dir\name" gives "C:\dir"; "" when there is none).
CString ParentOf(const char* pszPath);
// Whether the two texts are the same, case aside.
BOOL SameText(const char* pszA, const char* pszB);
// Whether pszPath is pszDir itself or lies below it.
BOOL LiesBelow(const char* pszPath, const char* pszDir);
// Whether the text's last character (not its last byte) is "\".
BOOL EndsWithSeparator(const char* psz);
// Whether the name is a bare file name: not empty, no "\", "/" or ":" (so no path, no
// drive and no stream of a file; "." and ".." are the tables' to refuse).
BOOL IsBareName(const char* pszName);
// Whether the path is a full local one in the one form the system itself gives it
// (GetFullPathName's): a drive letter, ":\" and names, none of them empty, "." or
// "..", none ending in a dot or a space, no "/" or other character a name cannot
// hold, no "\" at the end, and so no "\\?\" or "\\server" start.
BOOL IsCanonicalPath(const char* pszPath);
// The path as GetFullPathName gives it; as it is when the system cannot say.
CString FullPath(const char* pszPath);

} // namespace ops
