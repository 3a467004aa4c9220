#include "resource_check.h"

namespace ops {
namespace {

// One row of the check table, as the build writes it (little-endian words).
struct CheckRow {
    DWORD nId;
    DWORD nSize;
    DWORD nCrc;
};

// The bytes of a resource of the installer's own module; FALSE when it has none.
BOOL LoadModuleResource(UINT nId, const char* pszType, const BYTE** ppData, DWORD* pnSize)
{
    HMODULE hModule = AfxGetResourceHandle();
    HRSRC hFound = sys::FindResourceA(hModule, MAKEINTRESOURCEA(nId), pszType);
    HGLOBAL hLoaded = hFound ? sys::LoadResource(hModule, hFound) : NULL;
    *ppData = hLoaded ? (const BYTE*)sys::LockResource(hLoaded) : NULL;
    *pnSize = *ppData ? sys::SizeofResource(hModule, hFound) : 0;
    return *ppData != NULL;
}

} // namespace

DWORD Crc32(const BYTE* pData, DWORD nSize)
{
    // The byte table is made on the stack for each call: a thousand steps, against
    // the hundreds of thousands of bytes it then serves.
    DWORD table[256];
    for (DWORD i = 0; i < 256; ++i) {
        DWORD c = i;
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        table[i] = c;
    }
    DWORD nCrc = 0xFFFFFFFFu;
    while (nSize--)
        nCrc = table[(nCrc ^ *pData++) & 0xFF] ^ (nCrc >> 8);
    return ~nCrc;
}

ResourceState LoadCheckedResource(UINT nId, const BYTE** ppData, DWORD* pnSize)
{
    if (!LoadModuleResource(nId, kPayloadResourceType, ppData, pnSize))
        return kResourceMissing;
    const BYTE* pTable;
    DWORD nTable;
    if (LoadModuleResource(IDR_CHECKSUMS, kChecksumResourceType, &pTable, &nTable)) {
        const CheckRow* pRow = (const CheckRow*)pTable;
        for (DWORD n = nTable / sizeof(CheckRow); n > 0; --n, ++pRow) {
            if (pRow->nId == nId)
                return pRow->nSize == *pnSize && pRow->nCrc == Crc32(*ppData, *pnSize) ? kResourceWhole
                                                                                       : kResourceDamaged;
        }
    }
    return kResourceDamaged;
}

ResourceState CheckPayload(UINT* pnId)
{
    for (int nRow = 0; nRow < kPayloadFileCount; ++nRow) {
        *pnId = kPayloadTable[nRow].nResourceId;
        const BYTE* pData;
        DWORD nSize;
        const ResourceState state = LoadCheckedResource(*pnId, &pData, &nSize);
        if (state != kResourceWhole)
            return state;
    }
    return kResourceWhole;
}

} // namespace ops
