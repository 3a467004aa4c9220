// Owners of the system's handles: a registry key, a directory search, a kernel
// object. Each gives its handle back when it goes out of scope, through the
// platform-call table (a test sees the close, and may fail it), and is used where
// the raw handle would be. Not copyable.
#pragma once
#include "platform.h"

// A registry key; NULL while none is open.
class CRegKey {
public:
    CRegKey() : m_hKey(NULL) {}
    ~CRegKey() { Close(); }
    // RegOpenKeyExA; the key holds nothing when it fails.
    LONG Open(HKEY hParent, const char* pszPath, REGSAM sam)
    {
        return Took(sys::RegOpenKeyExA(hParent, pszPath, 0, sam, &m_hKey));
    }
    // RegCreateKeyExA of a key that outlives a restart.
    LONG Create(HKEY hParent, const char* pszPath, const char* pszClass, REGSAM sam, DWORD* pdwDisposition)
    {
        return Took(sys::RegCreateKeyExA(hParent, pszPath, 0, (LPSTR)pszClass, REG_OPTION_NON_VOLATILE, sam, NULL,
                                         &m_hKey, pdwDisposition));
    }
    void Close()
    {
        if (m_hKey)
            sys::RegCloseKey(m_hKey);
        m_hKey = NULL;
    }
    operator HKEY() const { return m_hKey; }

private:
    LONG Took(LONG lResult)
    {
        if (lResult != ERROR_SUCCESS)
            m_hKey = NULL;
        return lResult;
    }
    HKEY m_hKey;
    CRegKey(const CRegKey&);
    CRegKey& operator=(const CRegKey&);
};

// A directory search (_findfirst, _findnext) over the names a pattern matches.
class CFindFile {
public:
    CFindFile() : m_hFind(-1) {}
    ~CFindFile()
    {
        if (m_hFind != -1)
            sys::_findclose(m_hFind);
    }
    // FALSE when nothing matches.
    BOOL FindFirst(const char* pszPattern, struct _finddata_t* pfd)
    {
        return (m_hFind = sys::_findfirst(pszPattern, pfd)) != -1;
    }
    BOOL FindNext(struct _finddata_t* pfd) { return sys::_findnext(m_hFind, pfd) == 0; }

private:
    intptr_t m_hFind;
    CFindFile(const CFindFile&);
    CFindFile& operator=(const CFindFile&);
};

// A kernel object's handle. kNone is what the call that makes one gives when it
// fails: NULL (CHandle: processes, mutexes) or INVALID_HANDLE_VALUE (CFileHandle:
// files, process snapshots).
template <INT_PTR kNone>
class CHandleOf {
public:
    explicit CHandleOf(HANDLE h = (HANDLE)kNone) : m_h(h) {}
    ~CHandleOf()
    {
        if (IsOpen())
            sys::CloseHandle(m_h);
    }
    // Takes h; the object must hold none.
    void Attach(HANDLE h) { m_h = h; }
    void Close()
    {
        if (IsOpen())
            sys::CloseHandle(m_h);
        m_h = (HANDLE)kNone;
    }
    BOOL IsOpen() const { return m_h != (HANDLE)kNone; }
    operator HANDLE() const { return m_h; }

private:
    HANDLE m_h;
    CHandleOf(const CHandleOf&);
    CHandleOf& operator=(const CHandleOf&);
};
typedef CHandleOf<0> CHandle;
typedef CHandleOf<-1> CFileHandle;
