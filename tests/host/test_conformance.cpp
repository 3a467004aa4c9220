// Conformance with Debian's mscompress package: msexpand expands every file we make, we expand
// what mscompress makes, and our files are never larger. The tools are part of the build
// environment: a missing tool is a failure, not a reason to skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "scratch_dir.h"
#include "szdd_codec.h"
#include "test_data.h"

using namespace szdd_test;

namespace {

const char kMsexpand[] = "/usr/bin/msexpand";
const char kMscompress[] = "/usr/bin/mscompress";

std::vector<std::pair<std::string, Bytes>> Inputs() {
    std::vector<std::pair<std::string, Bytes>> v;
    for (std::size_t n : {0, 1, 2, 7, 8, 9, 15, 16, 17, 18, 19, 20, 143, 144, 145})
        v.push_back({"run" + std::to_string(n), Repeat(n, 'z')});
    for (std::size_t n : {1, 18, 100, 5000}) v.push_back({"spaces" + std::to_string(n), Repeat(n, ' ')});
    for (std::size_t n : {16, 64, 4096, 4097, 100000}) {
        v.push_back({"random" + std::to_string(n), Random(n, n)});
        v.push_back({"abc" + std::to_string(n), Random(n, n, 3)});
        v.push_back({"text" + std::to_string(n), Text(n, n)});
        v.push_back({"binary" + std::to_string(n), Binary(n, n)});
    }
    v.push_back({"wrap", Concat(Concat(Random(4095, 5, 16), {'!'}), Random(4095, 5, 16))});
    v.push_back({"self", ReadAll("/proc/self/exe")});  // a real executable
    return v;
}

class Conformance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(kMsexpand, X_OK), 0) << kMsexpand << " missing (Debian package mscompress)";
        ASSERT_EQ(access(kMscompress, X_OK), 0) << kMscompress << " missing (Debian package mscompress)";
        ASSERT_TRUE(dir_.ok());
    }
    ScratchDir dir_;
};

}  // namespace

TEST_F(Conformance, MsexpandExpandsOurFiles) {
    for (const auto& [name, in] : Inputs()) {
        SCOPED_TRACE(name);
        Bytes file;
        ASSERT_EQ(szdd::Compress(in.data(), in.size(), file), szdd::Status::Ok);
        WriteAll(dir_ / "in.sz", file);
        const std::string cmd = std::string(kMsexpand) + " < " + Quoted(dir_ / "in.sz") + " > " +
                                Quoted(dir_ / "out");
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        EXPECT_EQ(ReadAll(dir_ / "out"), in);
    }
}

// mscompress garbles inputs shorter than 16 bytes, so those are left out here.
TEST_F(Conformance, WeExpandMscompressFilesAndAreNeverLarger) {
    std::size_t ours_total = 0, theirs_total = 0;
    for (const auto& [name, in] : Inputs()) {
        if (in.size() < 16) continue;
        SCOPED_TRACE(name);
        const std::string path = dir_ / name;
        std::filesystem::remove(path + "_");
        WriteAll(path, in);
        const std::string cmd = std::string(kMscompress) + " " + Quoted(path);
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        const Bytes theirs = ReadAll(path + "_");
        Bytes back, ours;
        ASSERT_EQ(szdd::Expand(theirs.data(), theirs.size(), back), szdd::Status::Ok);
        EXPECT_EQ(back, in);
        ASSERT_EQ(szdd::Compress(in.data(), in.size(), ours), szdd::Status::Ok);
        EXPECT_LE(ours.size(), theirs.size());
        ours_total += ours.size();
        theirs_total += theirs.size();
    }
    EXPECT_LT(ours_total, theirs_total);
}
