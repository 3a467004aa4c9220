// Folders that are the installer's own: made by the run itself with rights it chose,
// and trusted afterwards only where nobody but administrators can have changed them.
// The installer runs with administrator rights; a folder a standard user can write,
// own or swap for a link is never one it reads from or moves anything into.
#pragma once
#include "afx.h"

namespace ops {

// The rights a folder is made with.
enum FolderRights {
    kAdministratorsOnly,  // Administrators and SYSTEM, nothing inherited: the journal's, the folder aside
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
// What this process may do beyond the rights of the user it runs as: a run for the
// machine needs an administrator's, and a run for the user that holds more than the
// user's own must keep to the user's own places. The token's elevation where the
// system knows it (Vista and later), else its membership of Administrators (Windows
// 2000 on).
enum HeldRights {
    kFullRights,      // an elevated token, SYSTEM, an administrator before Vista, or a system
                      // that keeps no users apart (Windows 9x) or cannot say
    kElevatable,      // Vista and later: a token that is not elevated; the prompt may give more
    kUserRightsOnly,  // before Vista: not a member of Administrators, and no prompt to ask
};
HeldRights RightsOfProcess();
// Makes the folder with those rights (owner Administrators, nothing inherited); TRUE
// only when this call made it: a folder or a link that was there already is not the
// run's own.
BOOL MakeOwnFolder(const char* pszPath, FolderRights rights);

// What lets someone other than the owner change a folder: write, append or make
// entries, delete it or what is in it, change its attributes, rights or owner; and,
// of the folder above a place, what lets someone delete or swap what is in it (to
// add to it is no threat: any user may make folders in C:\).
const DWORD kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                              FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                              MAXIMUM_ALLOWED;
const DWORD kReplacingRights = FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL | MAXIMUM_ALLOWED;
// Whether a self-relative security descriptor of nSd bytes (its owner and DACL) lets
// nobody but the trusted change what it guards by dwRights: its owner is
// Administrators, SYSTEM, TrustedInstaller (who owns what Windows installs) or one of
// the two SIDs at pTrusted (SECURITY_MAX_SID_SIZE bytes apart; the run's own owner),
// and no entry of its DACL that applies to the object itself grants anyone else one of
// those rights. No DACL, or a null one, lets everyone do everything.
BOOL IsTrustedSecurity(const BYTE* pSd, DWORD nSd, DWORD dwRights, const BYTE* pTrusted);

} // namespace ops
