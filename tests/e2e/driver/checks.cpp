#include "checks.h"

#include <shlobj.h>
#include <string.h>

#include "driver.h"

namespace e2e {

// ---- files ----

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

namespace {

void Walk(const std::string& dir, Snapshot& snap)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        Entry e;
        e.dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!e.dir) {
            e.size = (ULONGLONG(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            e.written = fd.ftLastWriteTime;
        }
        // The installer's own folder (the machine's, a user's) stays once made: only what
        // is in it counts.
        if (!e.dir || Lower(name) != "tolvane software setup")
            snap[path] = e;
        // Not into the Windows directory, nor through links to elsewhere.
        if (e.dir && Lower(path) != "c:\\windows" && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Walk(path, snap);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

} // namespace

Snapshot TakeSnapshot()
{
    Snapshot s;
    Walk("C:", s);
    return s;
}

void ExpectChanges(const Snapshot& before, const Snapshot& after, const std::set<std::string>& added,
                   const std::set<std::string>& mayChange)
{
    std::set<std::string> want, allowed;
    for (const auto& p : added)
        want.insert(Lower(p));
    for (const auto& p : mayChange)
        allowed.insert(Lower(p));
    std::map<std::string, std::string> b, a; // lower-case path -> path as found
    for (const auto& kv : before)
        b[Lower(kv.first)] = kv.first;
    for (const auto& kv : after)
        a[Lower(kv.first)] = kv.first;
    int differences = 0;
    for (const auto& kv : a) {
        if (b.count(kv.first))
            continue;
        if (want.count(kv.first))
            continue;
        const Entry& e = after.at(kv.second);
        Check(false, "unexpected new %s %s%s", e.dir ? "directory" : "file", kv.second.c_str(),
              e.dir ? "" : (" (" + std::to_string(e.size) + " bytes)").c_str());
        ++differences;
    }
    for (const auto& p : want) {
        if (!a.count(p)) {
            Check(false, "expected new path is missing: %s", p.c_str());
            ++differences;
        } else if (b.count(p)) {
            Check(false, "expected new path existed before: %s", p.c_str());
            ++differences;
        }
    }
    for (const auto& kv : b) {
        if (!a.count(kv.first)) {
            if (!allowed.count(kv.first)) {
                Check(false, "path removed: %s", kv.second.c_str());
                ++differences;
            }
            continue;
        }
        const Entry& x = before.at(kv.second);
        const Entry& y = after.at(a[kv.first]);
        bool same = x.dir == y.dir && x.size == y.size &&
                    CompareFileTime(&x.written, &y.written) == 0;
        if (!same && !allowed.count(kv.first)) {
            Check(false, "path changed: %s", kv.second.c_str());
            ++differences;
        }
    }
    if (differences == 0)
        Check(true, "drive C: changed exactly as expected (%u new paths)", (unsigned)want.size());
}

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                           NULL);
    if (h == INVALID_HANDLE_VALUE)
        Fail("cannot read %s (error %lu)", path.c_str(), GetLastError());
    std::string data;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, NULL) && got > 0)
        data.append(buf, got);
    CloseHandle(h);
    return data;
}

void WriteFile(const std::string& path, const std::string& data)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD put = 0;
    if (h == INVALID_HANDLE_VALUE || !::WriteFile(h, data.data(), (DWORD)data.size(), &put, NULL) ||
        put != data.size())
        Fail("cannot write %s (error %lu)", path.c_str(), GetLastError());
    CloseHandle(h);
}

void MakeDirs(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            std::string part = path.substr(0, i);
            if (!DirExists(part) && !CreateDirectoryA(part.c_str(), NULL))
                Fail("cannot create directory %s (error %lu)", part.c_str(), GetLastError());
        }
    }
}

std::string ShowTime(const FILETIME& ft)
{
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    char buf[64];
    snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u UTC", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond, st.wMilliseconds);
    return buf;
}

void ExpectStamp(const std::string& path, const FILETIME& stamp, bool accessMayChange)
{
    HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    FILETIME c = {}, a = {}, w = {};
    if (h == INVALID_HANDLE_VALUE || !GetFileTime(h, &c, &a, &w)) {
        Check(false, "cannot read the times of %s", path.c_str());
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return;
    }
    CloseHandle(h);
    bool ok = CompareFileTime(&c, &stamp) == 0 && (accessMayChange || CompareFileTime(&a, &stamp) == 0) &&
              CompareFileTime(&w, &stamp) == 0;
    Check(ok, "%s: created %s, accessed %s, written %s (expected %s for %s)", path.c_str(), ShowTime(c).c_str(),
          ShowTime(a).c_str(), ShowTime(w).c_str(), ShowTime(stamp).c_str(),
          accessMayChange ? "creation and last write; it has been run since" : "all three");
}

// ---- registry ----

namespace {
// "HKCU\\..." names a key of the user, any other name one of HKEY_LOCAL_MACHINE.
struct Key {
    HKEY root;
    std::string path, name; // below the root; with the root, for the transcript
    explicit Key(const std::string& key)
        : root(key.compare(0, 5, "HKCU\\") ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER),
          path(key.substr(root == HKEY_CURRENT_USER ? 5 : 0)), name(root == HKEY_CURRENT_USER ? key : "HKLM\\" + key) {}
};
} // namespace

bool KeyExists(const std::string& path, REGSAM view)
{
    HKEY k;
    if (RegOpenKeyExA(Key(path).root, Key(path).path.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

std::string RegString(const std::string& key, const std::string& name)
{
    HKEY k;
    const Key at(key);
    if (RegOpenKeyExA(at.root, at.path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        Fail("registry key %s is missing", at.name.c_str());
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExA(k, name.c_str(), NULL, &type, NULL, &size);
    std::vector<char> buf(size + 1, '\0');
    if (r == ERROR_SUCCESS)
        r = RegQueryValueExA(k, name.c_str(), NULL, &type, reinterpret_cast<BYTE*>(buf.data()), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS)
        Fail("registry value \"%s\" of %s is missing", name.c_str(), at.name.c_str());
    if (type != REG_SZ)
        Fail("registry value \"%s\" of %s has type %lu, not REG_SZ", name.c_str(), at.name.c_str(), type);
    // The stored data must end in exactly one terminator, counted in its size.
    if (size == 0 || buf[size - 1] != '\0' || strlen(buf.data()) != size - 1)
        Check(false, "registry value \"%s\" of %s: %lu bytes stored, text of %u characters", name.c_str(),
              at.name.c_str(), size, (unsigned)strlen(buf.data()));
    return std::string(buf.data());
}

DWORD RegDword(const std::string& key, const std::string& name)
{
    DWORD type = 0, data = 0, size = sizeof data;
    const Key at(key);
    LONG r = RegGetValueA(at.root, at.path.c_str(), name.c_str(), RRF_RT_ANY, &type, &data, &size);
    if (r != ERROR_SUCCESS || type != REG_DWORD)
        Fail("registry value \"%s\" of %s: error %ld, type %lu, not a REG_DWORD", name.c_str(), at.name.c_str(), r,
             type);
    return data;
}

void PutRegString(const std::string& key, const std::string& name, const std::string& value)
{
    HKEY k;
    const Key at(key);
    if (RegCreateKeyExA(at.root, at.path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &k, NULL) != ERROR_SUCCESS)
        Fail("cannot create %s", at.name.c_str());
    RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   (DWORD)value.size() + 1);
    RegCloseKey(k);
}

void RegTree(const std::string& key, RegValues& into)
{
    HKEY k;
    const Key at(key);
    if (RegOpenKeyExA(at.root, at.path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return;
    char name[256];
    BYTE data[4096];
    DWORD n = sizeof name, type, size = sizeof data;
    for (DWORD i = 0; RegEnumValueA(k, i, name, &n, NULL, &type, data, &size) == ERROR_SUCCESS;
         ++i, n = sizeof name, size = sizeof data)
        into[at.name + " \"" + name + "\""] = std::to_string(type) + ":" + std::string((char*)data, size);
    for (DWORD i = 0; n = sizeof name, RegEnumKeyExA(k, i, name, &n, NULL, NULL, NULL, NULL) == ERROR_SUCCESS; ++i)
        RegTree(key + "\\" + name, into);
    RegCloseKey(k);
}

// ---- shell links ----

namespace {

struct Reader {
    const std::string& d;
    size_t pos;
    std::string file;
    void Need(size_t n) const
    {
        if (pos + n > d.size())
            Fail("%s: link file ends early (at %u, %u more bytes needed)", file.c_str(), (unsigned)pos,
                 (unsigned)n);
    }
    uint32_t U32(size_t at) const
    {
        if (at + 4 > d.size())
            Fail("%s: link file ends early", file.c_str());
        return uint8_t(d[at]) | uint8_t(d[at + 1]) << 8 | uint8_t(d[at + 2]) << 16 | uint32_t(uint8_t(d[at + 3])) << 24;
    }
    uint16_t U16(size_t at) const
    {
        if (at + 2 > d.size())
            Fail("%s: link file ends early", file.c_str());
        return uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8);
    }
    std::string CString(size_t at) const
    {
        size_t end = d.find('\0', at);
        if (at > d.size() || end == std::string::npos)
            Fail("%s: unterminated string in link file", file.c_str());
        return d.substr(at, end - at);
    }
    std::string Counted(bool unicode)
    {
        uint16_t n = U16(pos);
        pos += 2;
        if (!unicode) {
            Need(n);
            std::string s = d.substr(pos, n);
            pos += n;
            while (!s.empty() && s.back() == '\0')
                s.pop_back();
            return s;
        }
        Need(size_t(n) * 2);
        std::wstring w;
        for (uint16_t i = 0; i < n; ++i)
            w += wchar_t(U16(pos + 2 * i));
        pos += size_t(n) * 2;
        // Wine counts the terminating zero in the length; the format does not.
        while (!w.empty() && w.back() == L'\0')
            w.pop_back();
        if (w.empty())
            return "";
        int len = WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), NULL, 0, NULL, NULL);
        std::string s(len, '\0');
        WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), &s[0], len, NULL, NULL);
        return s;
    }
};

} // namespace

Link ReadLink(const std::string& path)
{
    std::string data = ReadFile(path);
    Reader r{data, 0, path};
    static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (data.size() < 0x4C || r.U32(0) != 0x4C || memcmp(data.data() + 4, kClsid, 16) != 0)
        Fail("%s is not a shell link file", path.c_str());
    uint32_t flags = r.U32(0x14);
    Link link;
    link.showCommand = (int)r.U32(0x3C);
    r.pos = 0x4C;
    if (flags & 0x1) { // HasLinkTargetIDList
        uint16_t n = r.U16(r.pos);
        r.pos += 2;
        r.Need(n);
        r.pos += n;
    }
    if (flags & 0x2) { // HasLinkInfo
        size_t base = r.pos;
        uint32_t size = r.U32(base);
        r.Need(size);
        uint32_t infoFlags = r.U32(base + 8);
        if (infoFlags & 1) { // VolumeIDAndLocalBasePath
            link.target = r.CString(base + r.U32(base + 16));
            link.target += r.CString(base + r.U32(base + 24)); // common path suffix
        }
        r.pos = base + size;
    }
    bool unicode = (flags & 0x80) != 0;
    if (flags & 0x04)
        link.description = r.Counted(unicode);
    if (flags & 0x08)
        r.Counted(unicode); // relative path
    if (flags & 0x10)
        link.workingDir = r.Counted(unicode);
    if (flags & 0x20)
        link.arguments = r.Counted(unicode);
    if (flags & 0x40)
        link.iconLocation = r.Counted(unicode);
    if (link.target.empty())
        Fail("%s: the link holds no local target path (flags 0x%x)", path.c_str(), flags);
    return link;
}

// ---- shell folders ----

namespace {
std::string Folder(int csidl)
{
    std::string path = common::ShellFolder(csidl);
    if (path.empty())
        Fail("the shell names no folder %d", csidl);
    return path;
}
} // namespace

std::string DesktopDir(bool allUsers)
{
    return Folder(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}
std::string ProgramsDir(bool allUsers) { return Folder(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS); }

} // namespace e2e
