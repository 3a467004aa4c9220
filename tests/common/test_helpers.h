// Helpers that the component tests (tests/target/support) and the end-to-end driver
// (tests/e2e/driver) both need, kept here once. Header only: both are built for
// Windows, the driver also for i686. Nothing here comes from the installer's code,
// so what it computes is an independent expectation of what the installer does.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <stddef.h>
#include <string>
#include <vector>

namespace common {

// The names in a directory, without "." and "..", in the order the system lists them.
inline std::vector<std::string> ListDir(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..")
            names.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}

// A shell folder of the current user ("" when the shell names none).
inline std::string ShellFolder(int csidl)
{
    char buf[MAX_PATH] = "";
    if (FAILED(::SHGetFolderPathA(NULL, csidl, NULL, 0, buf)))
        return std::string();
    return buf;
}
// Where the desktop link goes, and the start menu's Programs folder, which holds the
// program group.
inline std::string DesktopDir() { return ShellFolder(CSIDL_DESKTOPDIRECTORY); }
inline std::string ProgramsDir() { return ShellFolder(CSIDL_PROGRAMS); }

// The length a compressed (SZDD) file announces for its expansion: the 32-bit
// little-endian number at offset 10 of its 14-byte header; 0 when there is no whole
// header.
inline DWORD SzddExpandedLength(const void* data, size_t size)
{
    if (size < 14)
        return 0;
    const BYTE* p = (const BYTE*)data;
    return p[10] | p[11] << 8 | p[12] << 16 | (DWORD)p[13] << 24;
}

// The release time stamp every installed file carries: 8 November 2002 01:31:00 local
// time, turned into UTC with the offset from UTC in force now.
inline FILETIME ReleaseStamp()
{
    SYSTEMTIME local = {};
    local.wYear = 2002;
    local.wMonth = 11;
    local.wDay = 8;
    local.wHour = 1;
    local.wMinute = 31;
    FILETIME asIfUtc;
    ::SystemTimeToFileTime(&local, &asIfUtc);
    // UTC = local time + bias, with the bias in force now.
    TIME_ZONE_INFORMATION tz;
    DWORD id = ::GetTimeZoneInformation(&tz);
    LONG bias = tz.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : id == TIME_ZONE_ID_STANDARD ? tz.StandardBias : 0);
    ULARGE_INTEGER v;
    v.LowPart = asIfUtc.dwLowDateTime;
    v.HighPart = asIfUtc.dwHighDateTime;
    v.QuadPart += (LONGLONG)bias * 60 * 10000000LL;
    FILETIME r;
    r.dwLowDateTime = v.LowPart;
    r.dwHighDateTime = v.HighPart;
    return r;
}

} // namespace common
