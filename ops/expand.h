// Expanding compressed (SZDD) data held in memory: the licence text travels in the
// installer compressed like the payload, and is shown straight from the resource.
#pragma once
#include "manifest.h"

namespace ops {

// The text that the data expands to; FALSE when the data is not whole (no header, a
// mode other than A, or items that end before the promised length).
BOOL ExpandText(const BYTE* pData, DWORD nSize, CString& strText);

} // namespace ops
