#include "string_array.h"

CStringArray::~CStringArray() { delete[] m_pData; }

void CStringArray::Add(const CString& str)
{
    if (m_nSize == m_nAlloc) {
        const int nAlloc = m_nAlloc ? m_nAlloc * 2 : 8;
        CString* pData = new CString[nAlloc];
        for (int i = 0; i < m_nSize; ++i)
            pData[i] = m_pData[i];  // shares the text: a copy of a CString only counts a reference
        delete[] m_pData;
        m_pData = pData;
        m_nAlloc = nAlloc;
    }
    m_pData[m_nSize++] = str;
}

void CStringArray::RemoveAll()
{
    delete[] m_pData;
    m_pData = NULL;
    m_nSize = m_nAlloc = 0;
}
