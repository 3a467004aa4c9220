// How an operation tells the user of a failure: an "ERROR" box with the information
// icon, owned by the window the caller names, through the program's message-box seam.
// The caller goes on to stop the attempt or not; the box itself says only what failed.
#pragma once
#include "manifest.h"

namespace ops {

inline void ReportError(HWND hOwner, const char* pszText)
{
    AfxShowMessageBox(hOwner, pszText, kErrorCaption, MB_ICONINFORMATION, kBoxError);
}

} // namespace ops
