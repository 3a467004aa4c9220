// The product's registry entries, reading text values, and removal of key trees.
// Every key lies below the scope's root unless a handle is passed.
#pragma once
#include "scope.h"

namespace ops {

// Writes the vendor key with the install time (and, with bNoDesktop, that choice;
// with a copy, its path), the application path and the uninstall entry (with the
// version, its numbers, publisher, icon, location, install date and size that the
// system's list of programs shows, and the silent removal by the installer's copy
// strCopy unless it is empty), each naming strTargetDir. FALSE when a key cannot be opened or created or a value
// cannot be written (the other keys are still tried).
BOOL WriteRegistryEntries(const CScope& scope, const CString& strTargetDir, const CString& strCopy = CString(),
                          BOOL bNoDesktop = FALSE);
// Whether the installation's vendor key holds that choice (a REG_DWORD of 1).
BOOL ReadChoice(const CScope& scope, const char* pszValue);
// Removes the key with everything below it, through its parent; TRUE when it is not
// there afterwards.
BOOL DeleteKeyPath(const CScope& scope, const char* pszPath);
// Removes the key when it holds neither a key nor a value (another product's are
// never touched; Windows 9x would delete a key with everything below it); silent.
void DeleteKeyIfEmpty(const CScope& scope, const char* pszPath);
// Removes pszSubkey below hParent with everything under it: 0, 1010 (null or empty
// name), 1011 (cannot open) or the first error of the platform, passed up unchanged.
LONG DeleteRegistryTree(HKEY hParent, const char* pszSubkey);
// Reads a value of at most 260 bytes from an open key as text, never past the bytes
// the registry reported (a stored string need not end in a NUL); FALSE when it
// cannot be read. *pdwType, when given, receives the value's type.
BOOL ReadRegistryText(HKEY hKey, const char* pszValue, CString& strText, DWORD* pdwType = NULL);

} // namespace ops
