// CreateTargetDirectory: checks the drive and its free space, then creates and
// enters each directory of the path, leaving the last one current. Reports its
// failures in boxes owned by hOwner; TRUE when the whole chain exists.
#pragma once
#include "own_folder.h"

namespace ops {

// Each directory that the chain had to make is added to *pCreated (when given),
// full path, in the order made; with bProgramRights, each is made with the rights of
// a program's folder (kProgramRights), else it takes those of the folder above.
BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath, CStringArray* pCreated = NULL,
                           BOOL bProgramRights = FALSE);

// The drive of a path "X:\\...": it must be there and hold the free space the
// payload needs (a space the system cannot tell is the user's to accept); the
// process is left at its root. Reports its failures in boxes owned by hOwner;
// FALSE when the install cannot go on there.
BOOL CheckTargetDrive(HWND hOwner, const CString& strPath);

// FALSE for a path whose files would not land where it says: a component that ends
// in a space or a dot (so "." and ".." too), a ":" after the drive, a character that
// file names cannot hold (<>"|?*/, control characters), or a path too long for a
// file name of nLongestName characters below it within MAX_PATH - 1 characters.
// The drive itself is CreateTargetDirectory's to check.
BOOL IsUsableTargetPath(const char* pszPath, int nLongestName);

} // namespace ops
