// CreateTargetDirectory: checks the drive and its free space, then creates and
// enters each directory of the path, leaving the last one current. Reports its
// failures in boxes owned by hOwner; TRUE when the whole chain exists.
#pragma once
#include "own_folder.h"

namespace ops {

// Each directory that the chain has to make is made with those rights (kProgramRights:
// a program's folder for the machine; kInheritedRights: those of the folder above).
// CheckTargetDrive, then MakeTargetChain.
BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath, FolderRights rights = kInheritedRights);
// The chain alone, from the root of the drive where CheckTargetDrive left the process.
BOOL MakeTargetChain(HWND hOwner, const CString& strPath, FolderRights rights);

// The drive of a path "X:\\...": it must be there and hold the free space the
// payload needs (a space the system cannot tell is the user's to accept); the
// process is left at its root. Reports its failures in boxes owned by hOwner;
// FALSE when the install cannot go on there.
BOOL CheckTargetDrive(HWND hOwner, const CString& strPath);

// The one rule for a target directory, wherever it comes from (the command line, the
// field, the registry of an installation): a full path in the one form the system
// gives it (IsCanonicalPath: on a drive, below its root, whose files land where it
// says), no name of it a device's (CON, NUL, COM1, ...), short enough for the version
// library to expand the payload there. The drive itself is CreateTargetDirectory's to check.
BOOL IsAcceptableTarget(const char* pszDir);

} // namespace ops
