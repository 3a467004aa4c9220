// CreateTargetDirectory: checks the drive and its free space, then creates and
// enters each directory of the path, leaving the last one current. Reports its
// failures in boxes owned by hOwner; TRUE when the whole chain exists.
#pragma once
#include "own_folder.h"

namespace ops {

// Each directory that the chain had to make is added to *pCreated (when given),
// full path, in the order made; each is made with those rights (kProgramRights: a
// program's folder for the machine; kInheritedRights: those of the folder above).
BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath, CStringArray* pCreated = NULL,
                           FolderRights rights = kInheritedRights);

// The drive of a path "X:\\...": it must be there and hold the free space the
// payload needs (a space the system cannot tell is the user's to accept); the
// process is left at its root. Reports its failures in boxes owned by hOwner;
// FALSE when the install cannot go on there.
BOOL CheckTargetDrive(HWND hOwner, const CString& strPath);

// The one rule for a target directory, wherever it comes from (the command line, the
// field, the registry of an installation): an absolute path on a drive ("X:\..."),
// below its root, no name of it a device's (CON, NUL, COM1, ...), whose files would
// land where it says (no name ending in a space or a dot, no character a name cannot
// hold, no ":" after the drive), short enough for the version library to expand the
// payload there. The drive itself is CreateTargetDirectory's to check.
BOOL IsAcceptableTarget(const char* pszDir);

} // namespace ops
