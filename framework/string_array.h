// CStringArray: a growing list of strings, in the order added.
#pragma once
#include "cstring.h"

class CStringArray {
public:
    CStringArray() : m_pData(NULL), m_nSize(0), m_nAlloc(0) {}
    ~CStringArray();

    int GetSize() const { return m_nSize; }
    const CString& GetAt(int i) const { return m_pData[i]; }
    void Add(const CString& str);
    void RemoveAll();

private:
    CString* m_pData;
    int m_nSize;
    int m_nAlloc;
    CStringArray(const CStringArray&);
    CStringArray& operator=(const CStringArray&);
};
