// Checks from outside the installer, made after it has ended: the files on drive C:,
// their contents and time stamps, the registry, and shell links read by a parser of
// the link file format of our own (nothing here shares code with the installer).
#pragma once
#include <windows.h>

#include "test_helpers.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace e2e {

// ---- files ----

struct Entry {
    bool dir = false;
    ULONGLONG size = 0;
    FILETIME written = {};
};
// Every file and directory below C:\ except the Windows directory, by full path.
using Snapshot = std::map<std::string, Entry>;
Snapshot TakeSnapshot();

// Paths are compared without regard to case, as the file system does.
std::string Lower(std::string s);

// Checks that between the two snapshots exactly the expected paths were added (files and
// directories; case-insensitive) and nothing was removed or changed, except the paths
// in mayChange. Lists every difference in the transcript.
void ExpectChanges(const Snapshot& before, const Snapshot& after, const std::set<std::string>& added,
                   const std::set<std::string>& mayChange = {});

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::string ReadFile(const std::string& path); // whole file; fails when it cannot be read
void WriteFile(const std::string& path, const std::string& data);
void MakeDirs(const std::string& path);
using common::ListDir; // names, without "." and ".."

// The release time stamp every installed file carries: 8 November 2002 01:31:00 local
// time, turned into UTC with the offset from UTC in force now.
using common::ReleaseStamp;
std::string ShowTime(const FILETIME& ft);
// The file's creation, last-access and last-write times all equal the stamp (the last
// access not, for a program that has been run since). Reading a file's contents moves
// its last-access time: check the stamp first.
void ExpectStamp(const std::string& path, const FILETIME& stamp, bool accessMayChange = false);

// ---- registry (HKEY_LOCAL_MACHINE; HKEY_CURRENT_USER for a key named "HKCU\\...") ----

// In the driver's own registry view, or in the one given (KEY_WOW64_64KEY, KEY_WOW64_32KEY).
bool KeyExists(const std::string& path, REGSAM view = 0);
// The REG_SZ value (name "" for the default); fails when the key or value is missing
// or has another type.
std::string RegString(const std::string& key, const std::string& name);
void PutRegString(const std::string& key, const std::string& name, const std::string& value);
// The REG_DWORD value; fails when the key or value is missing or has another type.
DWORD RegDword(const std::string& key, const std::string& name);
// Every value of the key and of its subkeys, by key and name: its type and bytes.
using RegValues = std::map<std::string, std::string>;
void RegTree(const std::string& key, RegValues& into);

// ---- shell links ----

struct Link {
    std::string target;      // the local path the link points at
    std::string workingDir;
    std::string description;
    std::string iconLocation;
    std::string arguments;
    int showCommand = 0;
};
// Parses a .lnk file (shell link binary format); fails on anything malformed.
Link ReadLink(const std::string& path);

// ---- shell folders of the prefix's user (or of all users) ----

// As tests/common/test_helpers.h finds them, the user's or all users'; fails when the shell names none.
std::string DesktopDir(bool allUsers = false);
std::string ProgramsDir(bool allUsers = false); // the start menu's Programs folder

} // namespace e2e
