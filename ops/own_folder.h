// Folders that are the installer's own: made by the run itself with rights it chose,
// and trusted afterwards only where nobody but administrators can have changed them.
// The installer runs with administrator rights; a folder a standard user can write,
// own or swap for a link is never one it reads from or moves anything into.
#pragma once
#include "manifest.h"

namespace ops {

// The rights a folder is made with.
enum FolderRights {
    kAdministratorsOnly,  // Administrators and SYSTEM, nothing inherited: the record's, the folder aside
    kProgramRights,       // the same, and Users may read and run (as in Program Files): a target directory
    kInheritedRights,     // those of the folder above: a user's own, for a run for that user
};

// The security descriptor of those rights (self-relative, owner Administrators, a
// protected DACL; NULL with kInheritedRights); with kAdministratorsOnly, also what other objects that only
// administrators may open are made with. The Administrators' SID in it.
PSECURITY_DESCRIPTOR OwnSecurity(FolderRights rights);
PSID AdministratorsSid();
// What the system says of this process's token (TokenUser, TokenElevation, ...) into
// pInfo; FALSE when it says nothing (a system without that class, a failing call).
BOOL ProcessTokenInformation(TOKEN_INFORMATION_CLASS infoClass, void* pInfo, DWORD nInfo);
// Makes the folder with those rights (owner Administrators, nothing inherited); TRUE
// only when this call made it: a folder or a link that was there already is not the
// run's own.
BOOL MakeOwnFolder(const char* pszPath, FolderRights rights);
// Whether the folder can be trusted: a folder, no reparse point, owned by
// Administrators, SYSTEM or the user this process runs as, and no one else allowed to
// write or delete in it. Where the system keeps no security (Windows 9x, a drive
// without rights, such as FAT), there is nobody to guard against: TRUE for a folder.
BOOL IsTrustedFolder(const char* pszPath);
// How the path is reached: kReached without a reparse point (a junction or a symbolic
// link) on the way, the last one included; kNotThere when it or a folder above it is
// missing; kBehindLink through a reparse point; kUnknown when a look fails otherwise.
// The run moves or deletes nothing but what it reaches directly; what stands behind a
// link is not its own, and a look that fails leaves the decision to the next run.
enum Reach { kReached, kNotThere, kBehindLink, kUnknown };
Reach ReachOf(const char* pszPath);

} // namespace ops
