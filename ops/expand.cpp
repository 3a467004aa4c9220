#include "expand.h"
#include "szdd_header.h"
#include <string.h>

namespace ops {

BOOL ExpandText(const BYTE* pData, DWORD nSize, CString& strText)
{
    szdd::RawHeader header;
    if (szdd::ReadHeader(pData, nSize, header) != szdd::HeaderRead::Read || header.mode != szdd::kModeA)
        return FALSE;
    // The dictionary: a ring of 4096 bytes, all spaces at the start, first written
    // 16 bytes before its end. Each flag byte says of the eight items after it, low
    // bit first, whether one is a literal (1) or a reference of 3 to 18 bytes (0).
    const UINT kRingMask = 4095;
    CHeapArray<BYTE> pRing(new BYTE[kRingMask + 1]);
    memset(pRing, ' ', kRingMask + 1);
    const DWORD nLength = header.expanded_length;
    char* pOut = strText.GetBuffer((int)nLength);
    const BYTE* p = pData + szdd::kHeaderSize;
    const BYTE* const pEnd = pData + nSize;
    DWORD nOut = 0;
    UINT nPos = kRingMask - 15;
    for (UINT nFlags = 0; nOut < nLength && p < pEnd; nFlags >>= 1) {
        if (!(nFlags & 0x100))
            nFlags = *p++ | 0xFF00;  // the high byte counts the items left in the group
        if (p >= pEnd)
            break;
        UINT nFrom = nPos, nCount = 1;
        if (!(nFlags & 1)) {
            if (pEnd - p < 2)
                break;
            nFrom = p[0] | ((p[1] & 0xF0) << 4);
            nCount = (p[1] & 0x0F) + 3;
            p += 2;
        } else {
            pRing[nPos] = *p++;
        }
        for (; nCount && nOut < nLength; --nCount) {
            const BYTE b = pRing[nFrom];
            nFrom = (nFrom + 1) & kRingMask;
            pOut[nOut++] = (char)(pRing[nPos] = b);
            nPos = (nPos + 1) & kRingMask;
        }
    }
    strText.ReleaseBuffer((int)nOut);
    return nOut == nLength;
}

} // namespace ops
