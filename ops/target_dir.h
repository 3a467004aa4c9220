// CreateTargetDirectory: checks the drive and its free space, then creates and
// enters each directory of the path, leaving the last one current. Reports its
// failures in boxes owned by hOwner; TRUE when the whole chain exists.
#pragma once
#include "manifest.h"

namespace ops {

BOOL CreateTargetDirectory(HWND hOwner, const CString& strPath);

} // namespace ops
