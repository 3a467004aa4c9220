// CHeapArray: owns an array made with new[] (one too large for a stack frame, or
// sized at run time) and deletes it when it goes out of scope. Not copyable.
#pragma once

template <class T>
class CHeapArray {
public:
    explicit CHeapArray(T* p) : m_p(p) {}
    ~CHeapArray() { delete[] m_p; }
    operator T*() const { return m_p; }

private:
    T* m_p;
    CHeapArray(const CHeapArray&);
    CHeapArray& operator=(const CHeapArray&);
};
