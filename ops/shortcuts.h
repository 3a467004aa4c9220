// Shell links on the desktop and in the product's program group.
#pragma once
#include "record_file.h"

namespace ops {

// Links the title (+ ".lnk") to strTargetDir + "\" + base name + extension, with
// strTargetDir as working directory, on the desktop (all users' with bAllUsers, where
// the system has one and the scope is the machine; else the user's) or in strGroupDir (created on demand; the
// directories made are added to *pCreatedDirs as CreateTargetDirectory does).
// Reports its failures in boxes owned by hOwner; TRUE when the link is saved.
BOOL CreateShortcut(const CScope& scope, HWND hOwner, const CString& strTargetDir, const CString& strGroupDir, const char* pszBaseName,
                    const char* pszExtension, const char* pszTitle, BOOL bDesktop, CStringArray* pCreatedDirs = NULL,
                    BOOL bAllUsers = FALSE);
// Deletes the link of that title from the desktop (all users' with bAllUsers, where the
// system has one; else the user's) or from strGroupDir; silent. For the machine.
void DeleteShortcut(const CString& strGroupDir, const char* pszTitle, BOOL bDesktop, BOOL bAllUsers = FALSE);
// Records each link of the shortcut-table rows in nRows (bit 1 << row), wherever an
// installation of the record's scope puts them (strGroupDir and the user's desktop,
// the desktop and the program group (Programs + "\Merolin") of all users and of the
// user), that the record does not name yet: one that is there
// is kept (KeepLink, and its path added to *pKept when given); one that is not, when
// the run is about to write it, is recorded as new: the desktop's of all users
// (nNewDesktop kAllUsersDesktop) or the user's (kUsersDesktop), and, with bNewGroup,
// those in strGroupDir. FALSE when one that is there cannot be kept.
enum { kNoNewDesktop = -1, kUsersDesktop = 0, kAllUsersDesktop = 1 };
BOOL RecordProductLinks(CRecordFile& record, UINT nRows, const CString& strGroupDir, CStringArray* pKept = NULL,
                        int nNewDesktop = kNoNewDesktop, BOOL bNewGroup = FALSE);
// The folders where a run of the scope puts or finds links: the fixed default group, then the
// user's desktop (second: IsLinkFolder takes the desktops' name from it), the user's
// group, all users' desktop and group.
void LinkFolders(const CScope& scope, CStringArray& folders);
// Whether a record's link may stand in that folder: one of those, a program group of
// the product's name, or a desktop by the name the desktops have here (another user's).
BOOL IsLinkFolder(const char* pszFolder, const CStringArray& folders);
// Whether the name is one the product gives its links (a title and ".lnk").
BOOL IsProductLinkName(const char* pszName);

} // namespace ops
