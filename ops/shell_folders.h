// Paths of the shell's folders (desktop, Programs; the user's and all users') and of
// folders the user chose.
#pragma once
#include "manifest.h"

namespace ops {

// The file-system path of a shell item list; FALSE when it has none. strPath is
// left as it was on failure.
BOOL PathFromItemList(PCIDLIST_ABSOLUTE pidl, CString& strPath);
// The path of one of the shell's special folders (CSIDL_...); FALSE when the shell
// cannot name it. strPath is left as it was on failure.
BOOL ShellFolderPath(int nFolder, CString& strPath);
// A folder for the product's links: the user's (nUserFolder) or, with bAllUsers, the
// one of all users (nCommonFolder), where the system has it; Windows 95, 98 and Me
// have none, and take the user's. FALSE, strPath as it was, when the shell names neither.
BOOL LinkFolderPath(BOOL bAllUsers, int nUserFolder, int nCommonFolder, CString& strPath);

} // namespace ops
