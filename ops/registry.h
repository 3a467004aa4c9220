// The product's registry entries, reading text values, and removal of key trees.
// Every key lies below HKEY_LOCAL_MACHINE unless a handle is passed.
#pragma once
#include "manifest.h"

namespace ops {

// The product's keys, as bits: which ones a write opened, which ones to remove.
enum {
    kVendorVersionKeyWritten = 1,
    kAppPathsKeyWritten = 2,
    kUninstallKeyWritten = 4,
    kAllProductKeys = 7,
};

// Writes the vendor key with the install time, the application path and the
// uninstall entry (with the version, its numbers, publisher, icon, location, install
// date and size that the system's list of programs shows), each naming strTargetDir. FALSE when a key
// cannot be opened or created or a value cannot be written (the other keys are
// still tried). The keys that were opened for writing are added to *pnKeysWritten.
BOOL WriteRegistryEntries(const CString& strTargetDir, UINT* pnKeysWritten = NULL);
// Removes the product's keys named by the bits, in the order vendor version key,
// application path, uninstall entry; silent.
void DeleteProductKeys(UINT nKeys);
// Removes the child key with everything below it when the parent can be opened
// for writing; silent.
void DeleteRegistrySubkey(const char* pszParentPath, const char* pszChildName);
// Removes pszSubkey below hParent with everything under it: 0, 1010 (null or empty
// name), 1011 (cannot open) or the first error of the platform, passed up unchanged.
LONG DeleteRegistryTree(HKEY hParent, const char* pszSubkey);
// Reads a value of at most 260 bytes from an open key as text, never past the bytes
// the registry reported (a stored string need not end in a NUL); FALSE when it
// cannot be read. *pdwType, when given, receives the value's type.
BOOL ReadRegistryText(HKEY hKey, const char* pszValue, CString& strText, DWORD* pdwType = NULL);
// The system's program-files folder; FALSE when it cannot be read or is not a string.
BOOL ReadProgramFilesDir(CString& strDir);

} // namespace ops
