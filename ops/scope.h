// CScope: whom a run installs for, and so where everything of the installation is:
// a value made once from the run's options and handed down, never made without
// saying which. For the machine: the keys below HKEY_LOCAL_MACHINE, the program below
// Program Files, the links in the user's or all users' desktop and program group, the
// run's journal in the installer's folder of the common application data folder (else
// the Windows directory), folders made with administrators' rights. For the user who
// runs it: the keys below HKEY_CURRENT_USER, the program in the user's local
// application data ("Programs"), the links in the user's own desktop and group, the
// journal in the installer's folder of the user's local application data, folders
// with the rights of the folder above (the user's own). A run never reaches into the
// other scope's places: these are the only places a run of the scope knows.
#pragma once
#include "own_folder.h"

namespace ops {

class CScope {
public:
    enum Who { kMachine, kUser };
    // The link folders, by number: the user's desktop and program group, then (for the
    // machine only) all users'.
    enum Link { kUserDesktop, kUserGroup, kAllUsersDesktop, kAllUsersGroup };
    explicit CScope(Who who) : m_who(who) {}

    BOOL IsCurrentUser() const { return m_who == kUser; }
    // The root of the product's keys (kProductKeys, kMakerKey).
    HKEY Root() const { return m_who == kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    // The folders where the run's journal may be, in the order tried.
    int JournalFolders() const { return m_who == kUser ? 1 : 2; }
    // The installer's folder (kSetupFolder) at that place; "" when the system names none.
    CString JournalFolder(int nFolder) const;
    // The rights of the installer's own folders (the journal's, the folders aside) and
    // of the directories it makes for the program.
    FolderRights OwnRights() const { return m_who == kUser ? kInheritedRights : kAdministratorsOnly; }
    FolderRights ProgramRights() const { return m_who == kUser ? kInheritedRights : kProgramRights; }
    // How many link folders the scope has (the numbers below that are its own).
    int LinkFolders() const { return m_who == kUser ? 2 : 4; }
    // The link folder of that number as the shell names it (all users' where the
    // system has one and the scope is the machine; else the user's): a desktop, or else
    // the Windows directory's "Desktop"; a program group, Programs + "\Merolin", or else
    // the fixed default group (kDefaultStartMenuDir) as it is.
    CString LinkFolder(int nLink) const;
    // The directory proposed for the program: Program Files (as the system's key names
    // it) or the user's "Programs", with the product's folder; else the fixed default.
    CString DefaultDirectory() const;
    // Whether an installation of this scope is there (its uninstall entry).
    BOOL HasInstallation() const;

private:
    Who m_who;
};

} // namespace ops
