// The product manifest: every fact about the one product this installer serves,
// fixed at build time, and the process-wide progress state of an installation.
// Every layer of the installer reads it; it depends on the framework's CString and
// the resource identifiers only. The tables stand in manifest.cpp: their strings
// are kept once there rather than once in every file that reads a row.
#pragma once
#include "afx.h"
#include "resource.h"

// Product identity
#define MEROLIN_NAME "Merolin"
#define MEROLIN_VERSION "1.31"
#define MEROLIN_MAKER "Tolvane Software"
inline constexpr char kProductName[] = MEROLIN_NAME;
inline constexpr char kProductVersion[] = MEROLIN_VERSION;
inline constexpr char kDisplayName[] = MEROLIN_NAME " " MEROLIN_VERSION;
inline constexpr char kMaker[] = MEROLIN_MAKER;
inline constexpr char kMainProgramFile[] = MEROLIN_NAME ".exe";
inline constexpr char kUninstallerFile[] = "Uninstall.exe";
inline constexpr char kMutexName[] = "Tolvane_MR_Mutex";
inline constexpr char kVersionLibrary[] = "version.dll";
// The version's numbers (1 and 31 of "1.31"), as the list of programs and inventory
// tools read them: the digits after the given count of dots.
constexpr DWORD VersionNumber(const char* psz, int nDots)
{
    for (; nDots > 0; ++psz)
        nDots -= *psz == '.';
    DWORD n = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz)
        n = n * 10 + (*psz - '0');
    return n;
}
inline constexpr DWORD kVersionMajor = VersionNumber(MEROLIN_VERSION, 0);
inline constexpr DWORD kVersionMinor = VersionNumber(MEROLIN_VERSION, 1);
// What a package catalogue says of the product: read by the build for the winget
// manifests beside the exe (cmake/write-winget.cmake), not by the installer.
#define MEROLIN_PACKAGE_ID "Tolvane.Merolin"
#define MEROLIN_SUMMARY "Test-management program"
#define MEROLIN_LICENSE "Proprietary"

// Titles of a running product's top-level window, in search order; "" ends the list.
extern const char* const kProductWindowTitles[11];
// Asks a running product to close (wParam 0, lParam 0); how long its window may take to go.
const UINT WM_CLOSE_PRODUCT = WM_USER + 0x101;
const DWORD kProductCloseWaitMs = 10000;

// Progress flags: 0 at start, set to 1 only by the install sequence, never reset.
extern int g_bDirCreated;
extern int g_bExeInstalled;
extern int g_bHelpInstalled;
extern int g_bUninstallerInstalled;
extern int g_bReadmeInstalled;
extern int g_bShortcutsCreated;
extern int g_bRegistryWritten;
inline BOOL AnyProgressFlagSet()
{
    return g_bDirCreated || g_bExeInstalled || g_bHelpInstalled || g_bUninstallerInstalled || g_bReadmeInstalled ||
           g_bShortcutsCreated || g_bRegistryWritten;
}

// The proposed installation directory and the program-group folder.
extern CString g_strInstallDir;
extern CString g_strStartMenuDir;

// Payload: seven compressed files, installed in table order.
inline constexpr char kPayloadResourceType[] = "MSZ";
struct PayloadFile {
    UINT nResourceId;
    const char* pszFileName;
    int* pbProgressFlag;      // set after success; NULL for the sample files
    BOOL bRequired;           // a failure stops the install; otherwise the next row follows
    int nRollbackOrder;       // when Cancel deletes it among the program files (1 first); 0: never
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
#define MEROLIN_CURRENT_VERSION "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
inline constexpr char kVendorKey[] = "SOFTWARE\\" MEROLIN_MAKER "\\" MEROLIN_NAME;
inline constexpr char kVendorVersionKey[] = "SOFTWARE\\" MEROLIN_MAKER "\\" MEROLIN_NAME "\\" MEROLIN_VERSION;
inline constexpr char kWindowsCurrentVersionKey[] = MEROLIN_CURRENT_VERSION;
inline constexpr char kAppPathsParentKey[] = MEROLIN_CURRENT_VERSION "\\App Paths";
inline constexpr char kAppPathsKey[] = MEROLIN_CURRENT_VERSION "\\App Paths\\" MEROLIN_NAME ".exe";
inline constexpr char kUninstallParentKey[] = MEROLIN_CURRENT_VERSION "\\Uninstall";
inline constexpr char kUninstallKey[] = MEROLIN_CURRENT_VERSION "\\Uninstall\\" MEROLIN_NAME;
inline constexpr char kProgramFilesDirValue[] = "ProgramFilesDir";
inline constexpr char kPathValue[] = "Path";
inline constexpr char kDisplayNameValue[] = "DisplayName";
inline constexpr char kUninstallStringValue[] = "UninstallString";

// Directories
inline constexpr char kDefaultInstallDir[] = "C:\\Program Files\\" MEROLIN_NAME;
inline constexpr char kDefaultStartMenuDir[] = "C:\\Windows\\Start Menu\\Programs";
inline constexpr char kProductFolderSuffix[] = "\\" MEROLIN_NAME;

// Free space needed on the target drive, and as the dialog states it
const unsigned long kRequiredFreeBytes = 500000;
const int kRequiredFreeKb = 500;

// Release time stamp of every payload file, local time
const WORD kReleaseYear = 2002, kReleaseMonth = 11, kReleaseDay = 8;
const WORD kReleaseHour = 1, kReleaseMinute = 31, kReleaseSecond = 0, kReleaseMilliseconds = 0;

// Other fixed file names
inline constexpr char kTempCompressedFile[] = "MR.MSZ";
inline constexpr char kTempExpandedFile[] = "MR.XXX";
inline constexpr char kProgramFilesPattern[] = MEROLIN_NAME ".*";
inline constexpr char kAnyFileSuffix[] = "\\*.*";

// Captions and texts shared by several parts of the installer
inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kCompletionCaption[] = "INSTALLATION COMLETE";
inline constexpr char kInvalidPathText[] = "Please specify a valid disk drive and path";
