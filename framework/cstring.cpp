#include "cstring.h"
#include <new>
#include <stdarg.h>
#include <string.h>

// The shared empty string; its reference count stays 0 (only counts above 0 are
// counted). All zero, it takes no room in the exe's file.
namespace {
struct EmptyString { long nRefs; int nLength; int nAlloc; char ch; };
EmptyString g_empty;
char* EmptyChars() { return &g_empty.ch; }
}

char* CString::Allocate(int nAlloc)
{
    Data* p = static_cast<Data*>(::operator new(sizeof(Data) + nAlloc + 1));
    p->nRefs = 1;
    p->nLength = 0;
    p->nAlloc = nAlloc;
    char* pch = reinterpret_cast<char*>(p + 1);
    pch[0] = 0;
    return pch;
}

void CString::Release()
{
    Data* p = Header();
    if (p->nRefs > 0 && --p->nRefs == 0)
        ::operator delete(p);
    m_pch = EmptyChars();
}

CString::CString() : m_pch(EmptyChars()) {}

CString::CString(const CString& other) : m_pch(other.m_pch)
{
    if (Header()->nRefs > 0)
        ++Header()->nRefs;
}

CString::CString(const char* psz) : m_pch(EmptyChars())
{
    if (psz)
        Assign(psz, (int)strlen(psz));
}

CString::CString(const char* pch, int nLength) : m_pch(EmptyChars())
{
    if (pch && nLength > 0)
        Assign(pch, nLength);
}

CString::~CString() { Release(); }

void CString::Assign(const char* pch, int n)
{
    // pch may point into our own buffer: copy before releasing it.
    char* pNew = n ? Allocate(n) : EmptyChars();
    if (n) {
        memcpy(pNew, pch, n);
        pNew[n] = 0;
        reinterpret_cast<Data*>(pNew)[-1].nLength = n;
    }
    Release();
    m_pch = pNew;
}

void CString::Append(const char* pch, int n)
{
    if (n <= 0)
        return;
    Data* p = Header();
    int nOld = p->nLength;
    if (p->nRefs == 1 && nOld + n <= p->nAlloc && (pch < m_pch || pch > m_pch + nOld)) {
        memcpy(m_pch + nOld, pch, n);
    } else {
        int nAlloc = nOld + n;
        nAlloc += nAlloc / 2;
        char* pNew = Allocate(nAlloc);
        memcpy(pNew, m_pch, nOld);
        memcpy(pNew + nOld, pch, n);
        Release();
        m_pch = pNew;
    }
    Header()->nLength = nOld + n;
    m_pch[nOld + n] = 0;
}

CString& CString::operator=(const CString& other)
{
    if (m_pch != other.m_pch) {
        if (other.Header()->nRefs > 0)
            ++other.Header()->nRefs;
        Release();
        m_pch = other.m_pch;
    }
    return *this;
}

CString& CString::operator=(const char* psz)
{
    Assign(psz ? psz : "", psz ? (int)strlen(psz) : 0);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    if (IsEmpty())
        return *this = other;
    CString keep(other);  // other may be *this
    Append(keep.m_pch, keep.GetLength());
    return *this;
}

CString& CString::operator+=(const char* psz)
{
    if (psz)
        Append(psz, (int)strlen(psz));
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, const char* b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const char* a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

void CString::Empty() { Release(); }

CString CString::Left(int n) const
{
    if (n < 0)
        n = 0;
    if (n >= GetLength())
        return *this;
    return CString(m_pch, n);
}

CString CString::Right(int n) const
{
    if (n < 0)
        n = 0;
    if (n >= GetLength())
        return *this;
    return CString(m_pch + GetLength() - n, n);
}

int CString::Find(char ch) const
{
    const char* p = static_cast<const char*>(memchr(m_pch, ch, GetLength()));
    return p ? (int)(p - m_pch) : -1;
}

int CString::Find(const char* pszSub) const
{
    const char* p = strstr(m_pch, pszSub ? pszSub : "");
    return p ? (int)(p - m_pch) : -1;
}

void CString::Format(const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    CString strText;  // the arguments may be this string's own text
    for (const char* p = pszFormat; *p; ++p) {
        if (*p != '%' || *++p == '%') {
            strText.Append(p, 1);
            continue;
        }
        // The flag 0 reads as the width's first digit: a width is filled with zeros.
        int nWidth = 0;
        while (*p >= '0' && *p <= '9')
            nWidth = nWidth * 10 + *p++ - '0';
        p += *p == 'l';
        if (!*p)
            break;
        if (*p == 's') {
            strText += va_arg(args, const char*);
            continue;
        }
        unsigned n = va_arg(args, unsigned);
        if (*p == 'd' && (int)n < 0) {
            strText.Append("-", 1);
            n = 0 - n;
            --nWidth;
        }
        // The digits from the last, then the zeros that fill the width (16 at most).
        char szDigits[16];
        char* pFirst = szDigits + sizeof szDigits;
        do
            *--pFirst = (char)('0' + n % 10);
        while (((n /= 10) || pFirst + nWidth > szDigits + sizeof szDigits) && pFirst > szDigits);
        strText.Append(pFirst, (int)(szDigits + sizeof szDigits - pFirst));
    }
    va_end(args);
    *this = strText;
}

char* CString::GetBuffer(int nMinLength)
{
    Data* p = Header();
    if (p->nRefs != 1 || nMinLength > p->nAlloc) {
        int n = p->nLength;
        char* pNew = Allocate(nMinLength > n ? nMinLength : n);
        memcpy(pNew, m_pch, n + 1);
        reinterpret_cast<Data*>(pNew)[-1].nLength = n;
        Release();
        m_pch = pNew;
    }
    return m_pch;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (Header()->nRefs <= 0)
        return;  // the shared empty string: nothing was handed out
    // The caller may have filled the whole buffer without a terminator: the length
    // is looked for within the allocation only.
    if (nNewLength < 0) {
        const char* pEnd = static_cast<const char*>(memchr(m_pch, 0, Header()->nAlloc));
        nNewLength = pEnd ? (int)(pEnd - m_pch) : Header()->nAlloc;
    }
    if (nNewLength > Header()->nAlloc)
        nNewLength = Header()->nAlloc;
    Header()->nLength = nNewLength;
    m_pch[nNewLength] = 0;
}

bool operator==(const CString& a, const char* b)
{
    return strcmp(a.m_pch, b ? b : "") == 0;
}

bool operator==(const CString& a, const CString& b)
{
    return a.GetLength() == b.GetLength() && memcmp(a.m_pch, b.m_pch, a.GetLength()) == 0;
}
