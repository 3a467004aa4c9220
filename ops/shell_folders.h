// Paths of the shell's folders (desktop, Programs) and of folders the user chose.
#pragma once
#include "manifest.h"

namespace ops {

// The file-system path of a shell item list; FALSE when it has none. strPath is
// left as it was on failure.
BOOL PathFromItemList(PCIDLIST_ABSOLUTE pidl, CString& strPath);
// The path of one of the shell's special folders (CSIDL_...); FALSE when the shell
// cannot name it. strPath is left as it was on failure.
BOOL ShellFolderPath(int nFolder, CString& strPath);

} // namespace ops
