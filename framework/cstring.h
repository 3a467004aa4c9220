// CString: a reference-counted, copy-on-write character string.
// The installer's only string type; small on purpose (no C++ library strings or streams).
#pragma once
#include <stddef.h>

class CString {
public:
    CString();
    CString(const CString& other);
    CString(const char* psz);
    CString(const char* pch, int nLength);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(const char* psz);
    CString& operator+=(const CString& other);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const char* b);
    friend CString operator+(const char* a, const CString& b);

    int GetLength() const { return Header()->nLength; }
    bool IsEmpty() const { return Header()->nLength == 0; }
    void Empty();
    char GetAt(int i) const { return m_pch[i]; }
    operator const char*() const { return m_pch; }

    // The first n characters / the last n characters; n is clamped to [0, length].
    CString Left(int n) const;
    CString Right(int n) const;
    // Index of the first occurrence, or -1. An empty substring is found at 0.
    int Find(char ch) const;
    int Find(const char* pszSub) const;
    // printf-style formatting of the conversions the installer's texts use: %s, %d, %u
    // (also as %lu; any other letter is taken for u), a number's width filled with zeros
    // (%04u), and %%. Any length.
    void Format(const char* pszFormat, ...);

    // Direct access for platform calls that fill a buffer: at least nMinLength
    // characters plus a terminator; ReleaseBuffer(-1) takes the length up to the NUL.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    friend bool operator==(const CString& a, const char* b);
    friend bool operator==(const CString& a, const CString& b);
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
    struct Data { long nRefs; int nLength; int nAlloc; };
    Data* Header() const { return reinterpret_cast<Data*>(m_pch) - 1; }
    void Assign(const char* pch, int n);
    void Append(const char* pch, int n);
    void Release();
    static char* Allocate(int nAlloc);
    char* m_pch;
};
