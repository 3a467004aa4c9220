#include "manifest.h"
#include "resource.h"

const char kProductName[] = "Merolin";
const char kProductVersion[] = "1.31";
const char kDisplayName[] = "Merolin 1.31";
const char kMaker[] = "Tolvane Software";
const char kMainProgramFile[] = "Merolin.exe";
const char kMutexName[] = "Tolvane_MR_Mutex";
const char kVersionLibrary[] = "version.dll";

const char* const kProductWindowTitles[11] = {
    "Merolin",        "Merolin BETA 1", "Merolin BETA 2", "Merolin BETA 3",
    "Merolin BETA 4", "Merolin BETA 5", "Merolin BETA 6", "Merolin BETA 7",
    "Merolin BETA 8", "Merolin BETA 9", "",
};

int g_bDirCreated;
int g_bExeInstalled;
int g_bHelpInstalled;
int g_bUninstallerInstalled;
int g_bReadmeInstalled;
int g_bShortcutsCreated;
int g_bRegistryWritten;

CString g_strInstallDir;
CString g_strStartMenuDir;

const char kPayloadResourceType[] = "MSZ";
const char kUninstallerFile[] = "Uninstall.exe";

const PayloadFile kPayloadTable[kPayloadFileCount] = {
    { IDR_MSZ_PROGRAM, kMainProgramFile, &g_bExeInstalled, "Couldn't install Merolin.exe!" },
    { IDR_MSZ_HELP, "Merolin.hlp", &g_bHelpInstalled, "Couldn't install Merolin.hlp!" },
    { IDR_MSZ_UNINSTALLER, kUninstallerFile, &g_bUninstallerInstalled, "Couldn't install Uninstall.exe!" },
    { IDR_MSZ_README, "Merolin.txt", &g_bReadmeInstalled, "Couldn't install Merolin.txt!" },
    { IDR_MSZ_SAMPLE1, "US-Caps_FITB.MR1", NULL, "Couldn't install first sample test file!" },
    { IDR_MSZ_SAMPLE2, "US-Caps_MULT.MR1", NULL, "Couldn't install second sample test file!" },
    { IDR_MSZ_SAMPLE3, "Vocab_MULT.MR1", NULL, "Couldn't install third sample test file!" },
};

const ShortcutSpec kShortcutTable[kShortcutCount] = {
    { TRUE, kProductName, ".exe", kProductName, NULL },
    { FALSE, kProductName, ".exe", kProductName, "Couldn't create start menu program shortcut!" },
    { FALSE, kProductName, ".hlp", "Merolin Help", "Couldn't create start menu help shortcut!" },
    { FALSE, "Uninstall", ".exe", "Uninstall Merolin", "Couldn't create start menu uninstall shortcut!" },
};

#define CURRENT_VERSION "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
const char kVendorKey[] = "SOFTWARE\\Tolvane Software\\Merolin";
const char kVendorVersionKey[] = "SOFTWARE\\Tolvane Software\\Merolin\\1.31";
const char kWindowsCurrentVersionKey[] = CURRENT_VERSION;
const char kAppPathsParentKey[] = CURRENT_VERSION "\\App Paths";
const char kAppPathsKey[] = CURRENT_VERSION "\\App Paths\\Merolin.exe";
const char kUninstallParentKey[] = CURRENT_VERSION "\\Uninstall";
const char kUninstallKey[] = CURRENT_VERSION "\\Uninstall\\Merolin";
const char kProgramFilesDirValue[] = "ProgramFilesDir";
const char kPathValue[] = "Path";
const char kDisplayNameValue[] = "DisplayName";
const char kUninstallStringValue[] = "UninstallString";

const char kDefaultInstallDir[] = "C:\\Program Files\\Merolin";
const char kDefaultStartMenuDir[] = "C:\\Windows\\Start Menu\\Programs";
const char kProductFolderSuffix[] = "\\Merolin";

const char kTempCompressedFile[] = "MR.MSZ";
const char kTempExpandedFile[] = "MR.XXX";
const char kProgramFilesPattern[] = "Merolin.*";
const char kAnyFileSuffix[] = "\\*.*";

const char kErrorCaption[] = "ERROR";
