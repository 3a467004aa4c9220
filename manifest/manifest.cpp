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

#define MEROLIN_PAYLOAD_ROW(id, name, flag, required, order, failure) { id, name, flag, required, order, failure },
const PayloadFile kPayloadTable[kPayloadFileCount] = { MEROLIN_PAYLOAD_FILES(MEROLIN_PAYLOAD_ROW) };
#undef MEROLIN_PAYLOAD_ROW

#define MEROLIN_SHORTCUT_ROW(desktop, base, extension, title, failure) { desktop, base, extension, title, failure },
const ShortcutSpec kShortcutTable[kShortcutCount] = { MEROLIN_SHORTCUTS(MEROLIN_SHORTCUT_ROW) };
#undef MEROLIN_SHORTCUT_ROW
