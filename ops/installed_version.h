// The version of an installation that is already there, read from its registry keys,
// as a number that compares as versions do (1.9 < 1.31 < 1.40).
#pragma once
#include "scope.h"

namespace ops {

// The version that the text is, "N.N" (digits, one dot, digits, each number at most
// 65535), as major << 16 | minor; 0 when the text is no such version.
DWORD VersionValue(const char* psz);
// The version of the installation found: the highest of the vendor key's subkeys
// whose names are versions (other names are passed over), else the uninstall entry's
// "DisplayVersion"; its text goes to strVersion. 0, strVersion untouched, when
// neither holds a version: an installation of unknown version counts as older.
DWORD ReadInstalledVersion(const CScope& scope, CString& strVersion);

} // namespace ops
