// Every file our encoder makes expands exactly with the platform's VerInstallFileA,
// and our decoder agrees with it on the installer's own payload resources.
#include "afx.h"
#include "szdd_codec.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

typedef DWORD(APIENTRY* PFN_VERINSTALLFILEA)(DWORD, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPSTR, PUINT);

// Expands `compressed` with the system's facility; "<failed N>" when it refuses.
std::string ExpandWithSystem(const ScratchDir& dir, const std::vector<uint8_t>& compressed)
{
    static PFN_VERINSTALLFILEA pfn =
        (PFN_VERINSTALLFILEA)(void*)::GetProcAddress(AfxLoadSystemLibrary("version.dll"), "VerInstallFileA");
    if (!pfn)
        return "<no VerInstallFileA>";
    ::DeleteFileA((dir / "OUT.BIN").c_str());
    WriteWholeFile(dir / "IN.MSZ", std::string(compressed.begin(), compressed.end()));
    char tmp[MAX_PATH] = {};
    UINT len = MAX_PATH;
    DWORD r = pfn(VIFF_FORCEINSTALL, "IN.MSZ", "OUT.BIN", dir.Path().c_str(), dir.Path().c_str(),
                  dir.Path().c_str(), tmp, &len);
    if (r != 0)
        return "<failed " + std::to_string(r) + ">";
    return ReadWholeFile(dir / "OUT.BIN");
}

std::string Compressed(const std::string& data, std::vector<uint8_t>& out)
{
    szdd::Status s = szdd::Compress((const uint8_t*)data.data(), data.size(), out);
    return s == szdd::Status::Ok ? "" : szdd::StatusMessage(s);
}

struct Case {
    const char* name;
    std::string data;
};

std::string Pseudorandom(size_t n, uint32_t seed, int alphabet)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = (char)((seed >> 16) % alphabet + (alphabet < 64 ? 'a' : 0));
    }
    return s;
}

std::vector<Case> Cases()
{
    std::vector<Case> cases = {
        { "empty", "" },
        { "one byte", "M" },
        { "run of 17", std::string(17, 'x') },
        { "run of 18", std::string(18, 'x') },
        { "run of 19", std::string(19, 'x') },
        { "spaces only", std::string(5000, ' ') },
        { "spaces then text", std::string(100, ' ') + "Merolin" + std::string(30, ' ') },
    };
    // item counts around the flag-group boundaries (distinct bytes: all literals)
    for (int n : { 7, 8, 9, 15, 16, 17, 23, 24, 25 })
        cases.push_back({ "literals", Pseudorandom(n, 7u + n, 256) });
    // far larger than the 4096-byte window: text-like, binary-like, and mixed
    cases.push_back({ "large text", Pseudorandom(200000, 1, 12) });
    cases.push_back({ "large binary", Pseudorandom(150000, 2, 256) });
    std::string mixed;
    for (int i = 0; i < 3000; ++i)
        mixed += "Question " + std::to_string(i) + ": What is the capital of state " + std::to_string(i % 50) + "?\r\n";
    cases.push_back({ "large repetitive", mixed });
    return cases;
}

} // namespace

TEST(SzddConformance, SystemFacilityExpandsEverythingWeCompress)
{
    ScratchDir dir(CurrentTestName());
    for (const Case& c : Cases()) {
        std::vector<uint8_t> z;
        ASSERT_EQ(Compressed(c.data, z), "") << c.name;
        std::string expanded = ExpandWithSystem(dir, z);
        EXPECT_EQ(expanded.size(), c.data.size()) << c.name << " (" << c.data.size() << " bytes)";
        EXPECT_TRUE(expanded == c.data) << c.name << " (" << c.data.size() << " bytes) expands differently";
    }
}

TEST(SzddConformance, OurDecoderAgreesWithTheSystemOnThePayload)
{
    ScratchDir dir(CurrentTestName());
    HMODULE h = ::GetModuleHandleA(NULL);
    for (int id = 133; id <= 139; ++id) {
        HRSRC r = ::FindResourceA(h, MAKEINTRESOURCEA(id), "MSZ");
        ASSERT_NE(r, nullptr) << id;
        const uint8_t* p = (const uint8_t*)::LockResource(::LoadResource(h, r));
        std::vector<uint8_t> z(p, p + ::SizeofResource(h, r));
        std::vector<uint8_t> ours;
        ASSERT_EQ(szdd::Expand(z.data(), z.size(), ours), szdd::Status::Ok) << id;
        std::string system = ExpandWithSystem(dir, z);
        uint32_t headerLength = common::SzddExpandedLength(z.data(), z.size());
        EXPECT_EQ(ours.size(), headerLength) << id;
        EXPECT_TRUE(system == std::string(ours.begin(), ours.end())) << "resource " << id;
    }
}
