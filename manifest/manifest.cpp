// The manifest's tables and process-wide state; its single facts stand in manifest.h.
#include "manifest.h"

#define MEROLIN_DEFINE_FLAG(name) int name;
MEROLIN_PROGRESS_FLAGS(MEROLIN_DEFINE_FLAG)
#undef MEROLIN_DEFINE_FLAG
#define MEROLIN_FLAG_ADDRESS(name) &name,
int* const kProgressFlags[kProgressFlagCount] = { MEROLIN_PROGRESS_FLAGS(MEROLIN_FLAG_ADDRESS) };
#undef MEROLIN_FLAG_ADDRESS

BOOL AnyProgressFlagSet()
{
    for (int i = 0; i < kProgressFlagCount; ++i) {
        if (*kProgressFlags[i])
            return TRUE;
    }
    return FALSE;
}

CString g_strInstallDir;
CString g_strStartMenuDir;

const char* const kProductWindowTitles[11] = {
    MEROLIN_NAME,           MEROLIN_NAME " BETA 1", MEROLIN_NAME " BETA 2", MEROLIN_NAME " BETA 3",
    MEROLIN_NAME " BETA 4", MEROLIN_NAME " BETA 5", MEROLIN_NAME " BETA 6", MEROLIN_NAME " BETA 7",
    MEROLIN_NAME " BETA 8", MEROLIN_NAME " BETA 9", "",
};

const PayloadFile kPayloadTable[kPayloadFileCount] = {
    { IDR_MSZ_PROGRAM, kMainProgramFile, &g_bExeInstalled, TRUE, 1, "Couldn't install Merolin.exe!" },
    { IDR_MSZ_HELP, MEROLIN_NAME ".hlp", &g_bHelpInstalled, TRUE, 2, "Couldn't install Merolin.hlp!" },
    { IDR_MSZ_UNINSTALLER, kUninstallerFile, &g_bUninstallerInstalled, TRUE, 4, "Couldn't install Uninstall.exe!" },
    { IDR_MSZ_README, MEROLIN_NAME ".txt", &g_bReadmeInstalled, TRUE, 3, "Couldn't install Merolin.txt!" },
    { IDR_MSZ_SAMPLE1, "US-Caps_FITB.MR1", NULL, FALSE, 0, "Couldn't install first sample test file!" },
    { IDR_MSZ_SAMPLE2, "US-Caps_MULT.MR1", NULL, FALSE, 0, "Couldn't install second sample test file!" },
    { IDR_MSZ_SAMPLE3, "Vocab_MULT.MR1", NULL, FALSE, 0, "Couldn't install third sample test file!" },
};

const ShortcutSpec kShortcutTable[kShortcutCount] = {
    { TRUE, kProductName, ".exe", kProductName, NULL },
    { FALSE, kProductName, ".exe", kProductName, "Couldn't create start menu program shortcut!" },
    { FALSE, kProductName, ".hlp", MEROLIN_NAME " Help", "Couldn't create start menu help shortcut!" },
    { FALSE, "Uninstall", ".exe", "Uninstall " MEROLIN_NAME, "Couldn't create start menu uninstall shortcut!" },
};
