#include "msgmap.h"

// The root has no entries, so no map: the walk from a derived map ends here.
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() { return 0; }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : 0) {
        const AFX_MSGMAP_ENTRY* p = pMap->lpEntries;
        for (UINT n = pMap->nEntries; n; --n, ++p) {
            if (p->nMessage == nMessage && p->nCode == nCode && p->nID == nID)
                return p;
        }
    }
    return 0;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode)
{
    const AFX_MSGMAP_ENTRY* p = FindMessageEntry(WM_COMMAND, nCode, nID);
    if (!p)
        return FALSE;
    (this->*p->pfn)();
    return TRUE;
}
