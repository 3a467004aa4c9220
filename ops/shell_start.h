// Starting the installed program as the signed-in user, not as the installer.
#pragma once
#include "manifest.h"

namespace ops {

// Opens strProgram with strDir as its working directory. The desktop's shell starts
// it where the system offers one, so that it runs with the user's ordinary rights
// even when the installer runs elevated; otherwise ShellExecuteA starts it. Silent.
void StartProgram(const CString& strProgram, const CString& strDir);

} // namespace ops
