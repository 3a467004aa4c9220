// ExtractPayloadFile: one compressed payload resource of the installer's own module
// becomes one installed file in the current directory, with the release time stamp.
// Reports its failures in boxes owned by hOwner; TRUE when the file is in place.
#pragma once
#include "manifest.h"

namespace ops {

BOOL ExtractPayloadFile(HWND hOwner, UINT nResourceId, const char* pszFileName);
// Whether the file is that payload row's as the installer leaves it: of the length
// its resource expands to, and written at the release time stamp.
BOOL IsAsInstalled(const char* pszPath, int nRow);
// The total size of the payload files that strDir holds, in KB, rounded up.
DWORD InstalledPayloadKb(const CString& strDir);

} // namespace ops
