// The installer's compressed resources (the payload and the licence text), checked
// against the table that the build recorded beside them: each one's number, length
// and CRC-32. A damaged or cut download is found before anything is changed.
#pragma once
#include "manifest.h"

namespace ops {

enum ResourceState {
    kResourceWhole,    // there, of the recorded length and check value
    kResourceMissing,  // not in the module (nor, then, whole)
    kResourceDamaged,  // there, but shorter, longer or other than recorded, or not recorded
};

// The compressed resource nId of the installer's own module, and its state; *ppData
// and *pnSize are set whenever the resource is there.
ResourceState LoadCheckedResource(UINT nId, const BYTE** ppData, DWORD* pnSize);
// The first payload resource, in table order, that is not whole: its state, its
// number in *pnId; kResourceWhole when every one is.
ResourceState CheckPayload(UINT* pnId);
// The CRC-32 of ZIP and PNG (reflected, polynomial 0xEDB88320).
DWORD Crc32(const BYTE* pData, DWORD nSize);

} // namespace ops
