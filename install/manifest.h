// The product manifest: every fact about the one product this installer serves,
// fixed at build time, and the process-wide progress state of an installation.
#pragma once
#include "afx.h"

// Product identity
extern const char kProductName[];       // "Merolin"
extern const char kProductVersion[];    // "1.31"
extern const char kDisplayName[];       // "Merolin 1.31"
extern const char kMaker[];             // "Tolvane Software"
extern const char kMainProgramFile[];   // "Merolin.exe"
extern const char kMutexName[];         // "Tolvane_MR_Mutex"
extern const char kVersionLibrary[];    // "version.dll"

// Titles of a running product's top-level window, in search order; "" ends the list.
extern const char* const kProductWindowTitles[11];
// Asks a running product to close (wParam 0, lParam 0).
const UINT WM_CLOSE_PRODUCT = WM_USER + 0x101;

// Payload: seven compressed files, installed in table order.
extern const char kPayloadResourceType[];  // "MSZ"
struct PayloadFile {
    UINT nResourceId;
    const char* pszFileName;
    int* pbProgressFlag;      // set after success; NULL for the optional sample files
    const char* pszFailure;   // shown in an "ERROR" box when the file cannot be installed
};
const int kPayloadFileCount = 7;
extern const PayloadFile kPayloadTable[kPayloadFileCount];

// Shortcuts, created after the payload in table order.
struct ShortcutSpec {
    BOOL bDesktop;              // on the desktop, else in the program group
    const char* pszBaseName;    // target: target directory + "\" + base name + extension
    const char* pszExtension;
    const char* pszTitle;       // link file name (+ ".lnk") and description
    const char* pszFailure;     // NULL: the result is not examined
};
const int kShortcutCount = 4;
extern const ShortcutSpec kShortcutTable[kShortcutCount];

// Registry, all below HKEY_LOCAL_MACHINE
extern const char kVendorKey[];            // "SOFTWARE\Tolvane Software\Merolin"
extern const char kVendorVersionKey[];     // kVendorKey + "\1.31"
extern const char kWindowsCurrentVersionKey[];  // "SOFTWARE\Microsoft\Windows\CurrentVersion"
extern const char kAppPathsParentKey[];    // ...CurrentVersion\App Paths
extern const char kAppPathsKey[];          // ...CurrentVersion\App Paths\Merolin.exe
extern const char kUninstallParentKey[];   // ...CurrentVersion\Uninstall
extern const char kUninstallKey[];         // ...CurrentVersion\Uninstall\Merolin
extern const char kProgramFilesDirValue[]; // "ProgramFilesDir"
extern const char kPathValue[];            // "Path"
extern const char kDisplayNameValue[];     // "DisplayName"
extern const char kUninstallStringValue[]; // "UninstallString"
extern const char kUninstallerFile[];      // "Uninstall.exe"

// Directories
extern const char kDefaultInstallDir[];    // "C:\Program Files\Merolin"
extern const char kDefaultStartMenuDir[];  // "C:\Windows\Start Menu\Programs"
extern const char kProductFolderSuffix[];  // "\Merolin"

// Free space needed on the target drive, and as the dialog states it
const unsigned long kRequiredFreeBytes = 500000;
const int kRequiredFreeKb = 500;

// Release time stamp of every payload file, local time
const WORD kReleaseYear = 2002, kReleaseMonth = 11, kReleaseDay = 8;
const WORD kReleaseHour = 1, kReleaseMinute = 31, kReleaseSecond = 0, kReleaseMilliseconds = 0;

// Other fixed file names
extern const char kTempCompressedFile[];   // "MR.MSZ"
extern const char kTempExpandedFile[];     // "MR.XXX"
extern const char kProgramFilesPattern[];  // "Merolin.*"
extern const char kAnyFileSuffix[];        // "\*.*"

// Captions and texts shared by several parts of the installer
extern const char kErrorCaption[];         // "ERROR"

// Progress flags: 0 at start, set to 1 only by the install sequence, never reset.
extern int g_bDirCreated;
extern int g_bExeInstalled;
extern int g_bHelpInstalled;
extern int g_bUninstallerInstalled;
extern int g_bReadmeInstalled;
extern int g_bShortcutsCreated;
extern int g_bRegistryWritten;

// The proposed installation directory and the program-group folder.
extern CString g_strInstallDir;
extern CString g_strStartMenuDir;
