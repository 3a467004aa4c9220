// CComPtr: an interface pointer that releases its object when it goes out of scope.
// An out-parameter takes its address (&ptr) while it holds none. Not copyable.
#pragma once
#include <unknwn.h>

template <class T>
class CComPtr {
public:
    CComPtr() : m_p(NULL) {}
    ~CComPtr()
    {
        if (m_p)
            m_p->Release();
    }
    T** operator&() { return &m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }

private:
    T* m_p;
    CComPtr(const CComPtr&);
    CComPtr& operator=(const CComPtr&);
};
