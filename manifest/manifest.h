// The product manifest: every fact about the one product this installer serves,
// fixed at build time, and the process-wide progress state of an installation.
// Every layer of the installer reads it; it depends on the framework's CString and
// the resource identifiers only. The tables stand in manifest.cpp: their strings
// are kept once there rather than once in every file that reads a row.
#pragma once
#include "afx.h"
#include "payload_list.h"
#include "resource.h"

// Product identity. A text that also stands as a literal elsewhere (in a table, a list
// of titles) is a pointer to a literal, not an array: the exe then keeps it once.
#define MEROLIN_NAME "Merolin"
#define MEROLIN_VERSION "1.31"
#define MEROLIN_MAKER "Tolvane Software"
inline constexpr const char* kProductName = MEROLIN_NAME;
inline constexpr char kProductVersion[] = MEROLIN_VERSION;
inline constexpr char kDisplayName[] = MEROLIN_NAME " " MEROLIN_VERSION;
inline constexpr char kMaker[] = MEROLIN_MAKER;
inline constexpr const char* kMainProgramFile = MEROLIN_NAME ".exe";
inline constexpr const char* kUninstallerFile = "Uninstall.exe";
inline constexpr char kMutexName[] = "Tolvane_MR_Mutex";
// Held by a running installer for its whole run, seen from every session; systems
// without the "Global\" namespace (Windows 9x, NT 4) know the name after it.
#define MEROLIN_GLOBAL_PREFIX "Global\\"
inline constexpr char kSetupMutexName[] = MEROLIN_GLOBAL_PREFIX "Tolvane_MR_Setup";
const int kGlobalPrefixLength = sizeof(MEROLIN_GLOBAL_PREFIX) - 1;
// A run for the user holds a mutex of its own, the name and the user's SID, in the
// namespace of the user's session.
inline constexpr char kSessionPrefix[] = "Local\\";
// Where the system has private namespaces (Vista and later), the installers' own
// namespace, which only administrators can make, holds the mutex instead.
#define MEROLIN_SETUP_NAMESPACE "Tolvane_MR"
inline constexpr char kSetupNamespace[] = MEROLIN_SETUP_NAMESPACE;
inline constexpr char kNamespaceSetupMutexName[] = MEROLIN_SETUP_NAMESPACE "\\Tolvane_MR_Setup";
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
// What the Windows Installer package says where it stops before it runs the installer:
// read by the build of the package (cmake/build-msi), not by the installer. Windows
// Installer puts the package's name in for [ProductName].
#define MEROLIN_MSI_LOG_QUOTED "[ProductName] has not been installed: the log file that MEROLINLOG names holds a quotation mark, and no file name does."
#define MEROLIN_MSI_NEWER "[ProductName] has not been installed: a newer version is installed on this computer."
#define MEROLIN_MSI_NO_COPY "[ProductName] has not been removed: the copy of its installer that the installation keeps is gone. Remove it with MerolinSetup.exe /S /REMOVE, then remove the package."

// Titles of a running product's top-level window, in search order: title 0 is the
// product's name, title n (1 to 9) the name with " BETA n". The installer makes each
// from kProductBetaTitle, whose last character is the number and whose blank after
// the name ends title 0.
inline constexpr char kProductBetaTitle[] = MEROLIN_NAME " BETA 0";
inline constexpr int kProductWindowTitleCount = 10;
// Asks a running product to close (wParam 0, lParam 0); how long it may take to end.
const UINT WM_CLOSE_PRODUCT = WM_USER + 0x101;
const DWORD kProductCloseWaitMs = 10000;

// Progress flags: 0 at start, set to 1 only by the install sequence, never reset.
// The list, in the order the sequence sets them, is the one place that names them:
// the declarations, the definitions and kProgressFlags all come from it.
#define MEROLIN_PROGRESS_FLAGS(X)                                                                  \
    X(g_bDirCreated) X(g_bExeInstalled) X(g_bHelpInstalled) X(g_bUninstallerInstalled)             \
    X(g_bReadmeInstalled) X(g_bShortcutsCreated) X(g_bRegistryWritten)
#define MEROLIN_DECLARE_FLAG(name) extern int name;
MEROLIN_PROGRESS_FLAGS(MEROLIN_DECLARE_FLAG)
#undef MEROLIN_DECLARE_FLAG
#define MEROLIN_COUNT_ROW(...) +1
const int kProgressFlagCount = 0 MEROLIN_PROGRESS_FLAGS(MEROLIN_COUNT_ROW);
extern int* const kProgressFlags[kProgressFlagCount];
BOOL AnyProgressFlagSet();

// The proposed installation directory and the program-group folder.
extern CString g_strInstallDir;
extern CString g_strStartMenuDir;

// Payload: the compressed files of payload_list.h, installed in table order.
inline constexpr char kPayloadResourceType[] = "MSZ";
inline constexpr char kChecksumResourceType[] = "CRC";  // the check table of the "MSZ" resources
struct PayloadFile {
    UINT nResourceId;
    const char* pszFileName;
    int* pbProgressFlag;      // set after success; NULL for the sample files
    BOOL bRequired;           // a failure stops the install; otherwise the next row follows
    int nRollbackOrder;       // when Cancel deletes it, if this run created it (1 first)
    const char* pszFailure;   // shown in an "ERROR" box when the file cannot be installed
};
const int kPayloadFileCount = 0 MEROLIN_PAYLOAD_FILES(MEROLIN_COUNT_ROW);
extern const PayloadFile kPayloadTable[kPayloadFileCount];

// Shortcuts, created after the payload in table order.
struct ShortcutSpec {
    BOOL bDesktop;              // on the desktop, else in the program group
    const char* pszBaseName;    // target: target directory + "\" + base name + extension
    const char* pszExtension;
    const char* pszTitle;       // link file name (+ ".lnk") and description
    const char* pszFailure;     // NULL: the result is not examined
};
// X(on the desktop, target's base name, extension, title, failure text)
#define MEROLIN_SHORTCUTS(X)                                                                          \
    X(TRUE, MEROLIN_NAME, ".exe", MEROLIN_NAME, NULL)                                                 \
    X(FALSE, MEROLIN_NAME, ".exe", MEROLIN_NAME, "Couldn't create start menu program shortcut!")      \
    X(FALSE, MEROLIN_NAME, ".hlp", MEROLIN_NAME " Help", "Couldn't create start menu help shortcut!") \
    X(FALSE, "Uninstall", ".exe", "Uninstall " MEROLIN_NAME, "Couldn't create start menu uninstall shortcut!")
const int kShortcutCount = 0 MEROLIN_SHORTCUTS(MEROLIN_COUNT_ROW);
extern const ShortcutSpec kShortcutTable[kShortcutCount];
// Bit (1 << row) of each program-group row, from the list's first column.
#define MEROLIN_DESKTOP_COLUMN(bDesktop, ...) bDesktop,
constexpr UINT GroupShortcutRows()
{
    constexpr BOOL kOnDesktop[] = { MEROLIN_SHORTCUTS(MEROLIN_DESKTOP_COLUMN) };
    UINT nRows = 0;
    for (int i = 0; i < kShortcutCount; ++i)
        nRows |= kOnDesktop[i] ? 0 : 1u << i;
    return nRows;
}
#undef MEROLIN_DESKTOP_COLUMN
const UINT kGroupShortcutRows = GroupShortcutRows();

// Registry, below the scope's root: HKEY_LOCAL_MACHINE for the machine, HKEY_CURRENT_USER
// for the user (ops/scope.h)
#define MEROLIN_CURRENT_VERSION "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
inline constexpr char kMakerKey[] = "SOFTWARE\\" MEROLIN_MAKER;
inline constexpr char kVendorKey[] = "SOFTWARE\\" MEROLIN_MAKER "\\" MEROLIN_NAME;
inline constexpr char kVendorVersionKey[] = "SOFTWARE\\" MEROLIN_MAKER "\\" MEROLIN_NAME "\\" MEROLIN_VERSION;
inline constexpr char kWindowsCurrentVersionKey[] = MEROLIN_CURRENT_VERSION;
inline constexpr char kAppPathsKey[] = MEROLIN_CURRENT_VERSION "\\App Paths\\" MEROLIN_NAME ".exe";
inline constexpr char kUninstallKey[] = MEROLIN_CURRENT_VERSION "\\Uninstall\\" MEROLIN_NAME;
// The product's own keys, each with everything below it: what an installation is.
inline constexpr const char* kProductKeys[] = { kAppPathsKey, kUninstallKey, kVendorKey };
inline constexpr char kProgramFilesDirValue[] = "ProgramFilesDir";
inline constexpr char kPathValue[] = "Path";
inline constexpr char kDisplayNameValue[] = "DisplayName";
inline constexpr char kUninstallStringValue[] = "UninstallString";
inline constexpr char kInstallLocationValue[] = "InstallLocation";
inline constexpr char kQuietUninstallStringValue[] = "QuietUninstallString";
// After the quoted path of the installer's copy.
// Put before the arguments of a run started again for administrator rights (app/elevation.h).
inline constexpr char kRelaunchSwitch[] = "/ELEVATED";
inline constexpr char kQuietSwitches[] = "\" /S /REMOVE";
inline constexpr char kQuietUserSwitches[] = "\" /S /REMOVE /CURRENTUSER";
inline constexpr char kNoDesktopValue[] = "NoDesktopLink";  // below kVendorKey: 1 when the installation has no desktop link
// Below kVendorKey: the path of the installer's kept copy, plain, as the Windows Installer
// package finds it for its removal (cmake/build-msi reads the name).
#define MEROLIN_COPY_VALUE "InstallerCopy"
inline constexpr char kInstallerCopyValue[] = MEROLIN_COPY_VALUE;

// Directories
inline constexpr char kDefaultInstallDir[] = "C:\\Program Files\\" MEROLIN_NAME;
inline constexpr char kDefaultStartMenuDir[] = "C:\\Windows\\Start Menu\\Programs";
inline constexpr char kProductFolderSuffix[] = "\\" MEROLIN_NAME;
inline constexpr char kUserProgramsSuffix[] = "\\Programs";  // in the local application data: a user's programs

// Free space needed on the target drive, and as the dialog states it
const unsigned long kRequiredFreeBytes = 500000;
const int kRequiredFreeKb = 500;

// Release time stamp of every payload file, local time
const WORD kReleaseYear = 2002, kReleaseMonth = 11, kReleaseDay = 8;
const WORD kReleaseHour = 1, kReleaseMinute = 31, kReleaseSecond = 0, kReleaseMilliseconds = 0;

// Other fixed file names
inline constexpr char kTempCompressedFile[] = "MR.MSZ";
inline constexpr char kTempExpandedFile[] = "MR.XXX";
inline constexpr char kAsideFolder[] = "MR.OLD";  // in a directory: its product files set aside by a run
inline constexpr char kSetupFolder[] = MEROLIN_MAKER " Setup";  // the installer's own folder (ops/journal.h)
inline constexpr char kRecordFileName[] = MEROLIN_NAME "Setup.rec";  // the run's journal in it
inline constexpr char kInstallerCopyName[] = MEROLIN_NAME "Setup.exe";  // and the installation's copy of its installer
inline constexpr char kVersionTempName[] = "VER0000.tmp";  // the shape of the version library's own temporary names
inline constexpr char kVersionTempPattern[] = "\\VER????.tmp";  // and those names in a directory
inline constexpr char kProgramFilesPattern[] = MEROLIN_NAME ".*";
inline constexpr char kAnyFileSuffix[] = "\\*.*";

// Every text the user or an administrator reads, by where it shows. Texts that
// carry a value at run time end where the value follows, or hold a printf field.
#define MEROLIN_BLANK_LINE "\r\n\r\n"

// Captions
inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kCompletionCaption[] = "INSTALLATION COMLETE";
inline constexpr char kNoteCaption[] = "NOTE";
inline constexpr char kOverwriteCaption[] = "Note";
inline constexpr char kWarningCaption[] = "WARNING";
inline constexpr char kCancelCaption[] = "Cancel Install?";
inline constexpr char kIncompleteCaption[] = "Installation Incomplete";
inline constexpr char kRunningCaption[] = "NOTICE";
inline constexpr char kInstallCaption[] = "Install " MEROLIN_NAME;
inline constexpr const char* kClosedCaption = "OK";
inline constexpr char kRemoveCaption[] = "Remove " MEROLIN_NAME;

// The start-up gate
inline constexpr char kNoVersionLibraryText[] =
    "Cannot install " MEROLIN_NAME "!" MEROLIN_BLANK_LINE "VERSION.DLL is not available on your system.\r\n"
    "See your system administrator to enable version control.";
inline constexpr char kProductRunningNotice[] =
    "A version of " MEROLIN_NAME " is currently running\r\nand must be closed before installation can continue."
    MEROLIN_BLANK_LINE "This installation program will attempt to close it,\r\n"
    "but it may be necessary to close " MEROLIN_NAME " manually before continuing.";
inline constexpr char kStillRunningText[] =
    "An instance of " MEROLIN_NAME " is currently running:\r\nPlease close " MEROLIN_NAME
    " before attempting this installation.";
inline constexpr char kClosedText[] = MEROLIN_NAME " has been closed, installation can continue";
inline constexpr char kUsageText[] =
    MEROLIN_NAME "Setup [/S] [/LOG=file] [/CURRENTUSER] [/NODESKTOP] [/D=directory | /REMOVE]" MEROLIN_BLANK_LINE
    "/S\tsilent: no window, and the licence counts as accepted\r\n"
    "/LOG=file\tappend a log to the file\r\n"
    "/CURRENTUSER\tfor the user who runs it, without administrator rights\r\n"
    "/NODESKTOP\tno desktop link, also at later upgrades\r\n"
    "/D=directory\tinstall there (last, without quotes)\r\n"
    "/REMOVE\tremove " MEROLIN_NAME MEROLIN_BLANK_LINE
    "Exit codes: 0 installed or removed, 1 " MEROLIN_NAME " running, 2 failed, 3 bad command line,\r\n"
    "4 cancelled, 5 a newer version is installed, 740 no administrator rights,\r\n1618 another setup is running";

// The dialogs
inline constexpr char kWelcomeTitle[] = MEROLIN_NAME " " MEROLIN_VERSION " Installation";
inline constexpr char kLicenseTitle[] = MEROLIN_NAME " License Agreement";  // the template's caption
inline constexpr char kInstallerTitle[] = MEROLIN_MAKER " - Install " MEROLIN_NAME " " MEROLIN_VERSION;
inline constexpr char kBrowseTitle[] = MEROLIN_NAME " Installation Folder";

// Status lines of the installer dialog
inline constexpr char kStatusCheckingSystem[] = "Stand by:\r\nChecking system parameters...";
inline constexpr char kStatusCheckingPrevious[] = "Stand by:\r\nChecking for previous installations...";
inline constexpr char kStatusRemovingPrevious[] = "Removing previous versions...";
inline constexpr char kStatusFreeSpace[] = "To install " MEROLIN_NAME ", at least\r\n%d Kb of free disk space is required.";
inline constexpr char kStatusCreatingDir[] = "Installing:\r\nCreating installation directory...";
inline constexpr char kStatusInstallingFiles[] = "Installing:\r\nInstalling application files...";
inline constexpr char kStatusDesktopLink[] = "Installing:\r\nInstalling DeskTop shortcut...";
inline constexpr char kStatusGroupLinks[] = "Installing:\r\nInstalling Start Menu shortcuts...";
inline constexpr char kStatusRegistry[] = "Installing:\r\nUpdating system registry...";
inline constexpr char kStatusComplete[] = "Installation complete:\r\n" MEROLIN_NAME " installed successfuly";
inline constexpr char kStatusAborting[] = "Stand by:\r\nAborting installation...";

// Boxes of the opening, the install sequence and the rollback
inline constexpr char kNoComText[] = "Can't initialize Component Object Module - aborting installation";
inline constexpr char kOverwriteQuestion[] = "This will overwrite any previous installation:" MEROLIN_BLANK_LINE
                                             "Are you sure you want to continue installing " MEROLIN_NAME "?";
inline constexpr char kNoDirectoryText[] = "Couldn't create installation directory!";
inline constexpr char kNoWindowsDirText[] = "Can't access Windows directory!";
inline constexpr char kNoRegistryText[] = "Couldn't update system registry!";
inline constexpr char kCompletionOffer[] = MEROLIN_NAME " " MEROLIN_VERSION " has been successfully installed!"
                                           MEROLIN_BLANK_LINE "Would you like to to run " MEROLIN_NAME " right now?";
inline constexpr char kCancelAbortQuestion[] = "This will abort the installation of " MEROLIN_NAME " " MEROLIN_VERSION
                                         "\r\nDo you wish to cancel the installation?";
inline constexpr char kCancelNothingQuestion[] = MEROLIN_NAME " will not be installed on your system"
                                                  "\r\nDo you wish to cancel the installation?";
inline constexpr char kNotInstalledText[] = MEROLIN_NAME " was not installed on your system";
inline constexpr char kDirectoryStaysText[] = "Unable to remove directory ";

// Boxes of a removal
inline constexpr char kRemoveQuestion[] = "This will remove " MEROLIN_NAME " from this computer:" MEROLIN_BLANK_LINE
                                          "Are you sure you want to continue?";
inline constexpr char kRemovedText[] = MEROLIN_NAME " has been removed from this computer.";
inline constexpr char kNotRemovedText[] = MEROLIN_NAME " could not be removed: it has been left as it was.";
inline constexpr char kNothingToRemoveText[] = MEROLIN_NAME " is not installed on this computer.";

// Boxes of the operations
inline constexpr char kInvalidPathText[] = "Please specify a valid disk drive and path";
inline constexpr char kNoDriveText[] = "Can't access drive ";
inline constexpr char kNoSpaceText[] = "Insufficient disk space on drive ";
inline constexpr char kUnknownSpaceQuestion[] = "Cannot determine the amount of free space on drive %s"
                                                "\r\nDo you want to procede with the installation anyway?";
inline constexpr char kDirectoryErrorText[] = "Error creating directory ";
inline constexpr char kResourceMissingText[] = "Setup file appears to be corrupted!";
inline constexpr char kResourceCorruptText[] = "Setup file is corrupted!";
inline constexpr char kTempFileText[] = "Can't overwrite temporary file \"MR.MSZ\"";
inline constexpr char kWriteErrorText[] = "Insufficient space, or disk error";
inline constexpr char kNoRecordText[] = "Can't write the setup record ";
inline constexpr char kNoInstallerCopyText[] = "Can't keep a copy of the setup program in ";
inline constexpr char kNoCurrentDirText[] = "Can't retrieve current directory";
inline constexpr char kExpandErrorText[] = "Can't expand installation file ";
inline constexpr char kRenameErrorText[] = "Can't rename installation file ";
inline constexpr char kNoLinkText[] = "Can't create Program Files link";
inline constexpr char kNoLinkFileText[] = "Couldn't create file interface to program links";
inline constexpr char kNoLinkSavedText[] = "Can't create Program Files icon group";

// Lines of the log
inline constexpr char kLogStarted[] = "%s setup started: %s";
inline constexpr char kLogBadCommandLine[] = "Bad command line: %s";
inline constexpr char kLogStatus[] = "Status: ";
inline constexpr char kLogBox[] = "Box \"%s\": %s -- answer: %s%s";
inline constexpr char kLogSilent[] = " (silent)";
inline constexpr char kLogExitCode[] = "Exit code %d";
inline constexpr char kLogAnotherInstaller[] = "Another installer of " MEROLIN_NAME " is running: nothing done";
inline constexpr char kLogResourceMissing[] = "Setup file damaged: resource %u is missing";
inline constexpr char kLogResourceDamaged[] = "Setup file damaged: resource %u is not the one the build recorded";
inline constexpr char kLogProgramRunning[] = "Running from the installation's directory: %s (process %lu)";
// What the opening found installed, by its version against this one's.
// The run's record, what settling it did and what a removal leaves or cannot take,
// each with a path or a key.
inline constexpr char kLogRecordFound[] = "Record of an interrupted run found: %s";
inline constexpr char kLogRecordUnknown[] = "Record %s is of a format this installer does not know: left as it is";
inline constexpr char kLogRecordForeign[] = "Not the product's, left alone: %s";
inline constexpr char kLogNotOwnPlace[] = "%s is not the installer's: not used";
inline constexpr char kLogTakenOver[] = "Taken over for administrators: %s";  // others could change it
inline constexpr char kLogGivenBack[] = "Given back: %s";  // its owner and rights, as before the run
inline constexpr char kLogRemoved[] = "Removed %s";
inline constexpr char kLogPutBack[] = "Put back %s";
inline constexpr char kLogNotPutBack[] = "Could not put back %s: the next run tries again";
inline constexpr char kLogNotDeleted[] = "Could not delete %s";
inline constexpr char kLogAskingRights[] = "No administrator rights: starting again with them";
inline constexpr char kLogNoRights[] = "Administrator rights not given: nothing done";
inline constexpr char kLogNoUserFolder[] = "No local application data folder for /CURRENTUSER: nothing done";
inline constexpr char kLogDeletedAtRestart[] = "Running from %s: it goes at the next restart";
inline constexpr char kLogFoundOlder[] = "Found " MEROLIN_NAME " %s: upgrading";
inline constexpr char kLogFoundSame[] = "Found " MEROLIN_NAME " %s: reinstalling (repair)";
inline constexpr char kLogFoundNewer[] = "Found " MEROLIN_NAME " %s, newer than " MEROLIN_VERSION ": %s";
inline constexpr char kLogNothingDone[] = "nothing done";       // silent
inline constexpr char kLogDowngrading[] = "downgrading";        // with windows, once the user agrees
inline constexpr char kLogUnknownVersion[] = "of an unknown version";
