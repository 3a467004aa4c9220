#include "msgmap.h"

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY _messageEntries[] = { { 0, 0, 0, AfxSig_end, 0 } };
    static const AFX_MSGMAP messageMap = { 0, &_messageEntries[0] };
    return &messageMap;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : 0) {
        for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->nSig != AfxSig_end; ++p) {
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
