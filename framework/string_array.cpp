#include "string_array.h"
#include <new>
#include <string.h>

CStringArray::~CStringArray() { RemoveAll(); }

void CStringArray::Add(const CString& str)
{
    if (m_nSize == m_nAlloc) {
        // A CString is one pointer to its shared text: the elements move as bytes.
        m_nAlloc = m_nAlloc ? m_nAlloc * 2 : 8;
        CString* pData = (CString*)::operator new(m_nAlloc * sizeof(CString));
        if (m_nSize)
            memcpy((void*)pData, (const void*)m_pData, m_nSize * sizeof(CString));
        ::operator delete(m_pData);
        m_pData = pData;
    }
    new (&m_pData[m_nSize++]) CString(str);
}

void CStringArray::RemoveAll()
{
    for (int i = 0; i < m_nSize; ++i)
        m_pData[i].~CString();
    ::operator delete(m_pData);
    m_pData = NULL;
    m_nSize = m_nAlloc = 0;
}
