// Shell links on the desktop and in the product's program group.
#pragma once
#include "journal.h"

namespace ops {

// Links the title (+ ".lnk") in pszFolder to strTargetDir + "\" + base name +
// extension, with strTargetDir as working directory. A program group (bGroup) is made
// first as CreateTargetDirectory makes a directory, whatever that says (the link is
// attempted anyway). pszFolder NULL: no folder the run may write links into (its
// link is not saved). Reports its failures in boxes owned by hOwner; TRUE when the
// link is saved.
BOOL CreateShortcut(HWND hOwner, const CString& strTargetDir, const char* pszFolder, BOOL bGroup, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle);
// The name of the link of that shortcut-table row: its title and ".lnk".
CString LinkName(int nRow);
// Whether the name is one the product gives its links.
BOOL IsProductLinkName(const char* pszName);

} // namespace ops
