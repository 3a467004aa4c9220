// Shell links on the desktop and in the product's program group.
#pragma once
#include "manifest.h"

namespace ops {

// Links the title (+ ".lnk") to strTargetDir + "\" + base name + extension, with
// strTargetDir as working directory, on the desktop or in strGroupDir (created on
// demand; the directories made are added to *pCreatedDirs as CreateTargetDirectory
// does). Reports its failures in boxes owned by hOwner; TRUE when the link is saved.
BOOL CreateShortcut(HWND hOwner, const CString& strTargetDir, const CString& strGroupDir, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle, BOOL bDesktop, CStringArray* pCreatedDirs = NULL);
// Deletes the link of that title from the desktop or from strGroupDir; silent.
void DeleteShortcut(const CString& strGroupDir, const char* pszTitle, BOOL bDesktop);
// Deletes the program group's links of the shortcut table, in table order; silent.
void DeleteGroupShortcuts(const CString& strGroupDir);

} // namespace ops
