// CScope: whom a run installs for, and so where everything of the installation is.
// For the machine: the keys below HKEY_LOCAL_MACHINE, the program below Program
// Files, the links in the user's or all users' desktop and program group, the run's
// record in the installer's folder of the common application data folder (else the
// Windows directory), folders made with administrators' rights. For the user who runs
// it: the keys below HKEY_CURRENT_USER, the program in the user's local application
// data ("Programs"), the links in the user's own desktop and group, the record in the
// installer's folder of the user's local application data, folders with the rights of
// the folder above (the user's own). A run never reaches into the other scope's places.
#pragma once
#include "own_folder.h"

namespace ops {

class CScope {
public:
    explicit CScope(BOOL bCurrentUser = FALSE) : m_bCurrentUser(bCurrentUser) {}

    BOOL IsCurrentUser() const { return m_bCurrentUser; }
    // The root of the product's keys (kProductKeys, kMakerKey).
    HKEY Root() const { return m_bCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    // The places where the run's record may be, in the order tried.
    int RecordPlaces() const { return m_bCurrentUser ? 1 : 2; }
    // The installer's folder (kSetupFolder) at that place; "" when the system names none.
    CString RecordFolder(int nPlace) const;
    // The rights of the installer's own folders (the record's, the folders aside) and
    // of the directories it makes for the program.
    FolderRights OwnRights() const { return m_bCurrentUser ? kInheritedRights : kAdministratorsOnly; }
    FolderRights ProgramRights() const { return m_bCurrentUser ? kInheritedRights : kProgramRights; }
    // A folder for the product's links, as LinkFolderPath names it; all users' folder
    // only for the machine.
    BOOL LinkFolder(BOOL bAllUsers, int nUserFolder, int nCommonFolder, CString& strPath) const;
    // The directory proposed for the program: Program Files (as the system's key names
    // it) or the user's "Programs", with the product's folder; else the fixed default.
    CString DefaultDirectory() const;
    // Whether an installation of this scope is there (its uninstall entry).
    BOOL HasInstallation() const;

private:
    BOOL m_bCurrentUser;
};

} // namespace ops
