// The szdd command: usage, round trips, info, refusal to overwrite its input, exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "scratch_dir.h"
#include "szdd_codec.h"
#include "test_data.h"

using namespace szdd_test;

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }

    Result Szdd(const std::string& args) {
        const std::string cmd = Quoted(SZDD_COMMAND) + " " + args + " > " + Quoted(dir_ / "stdout") +
                                " 2> " + Quoted(dir_ / "stderr");
        const int status = std::system(cmd.c_str());
        Result r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const Bytes o = ReadAll(dir_ / "stdout"), e = ReadAll(dir_ / "stderr");
        r.out.assign(o.begin(), o.end());
        r.err.assign(e.begin(), e.end());
        return r;
    }
    std::string P(const std::string& name) { return Quoted(dir_ / name); }

    ScratchDir dir_;
};

}  // namespace

TEST_F(Cli, UsageErrorsExitWithTwo) {
    for (const char* args : {"", "frobnicate a b", "compress onlyone", "expand a b c", "info",
                             "info a b"}) {
        SCOPED_TRACE(args);
        const Result r = Szdd(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("usage: szdd compress IN OUT"), std::string::npos) << r.err;
    }
    const Result help = Szdd("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("szdd info FILE"), std::string::npos);
}

TEST_F(Cli, CompressExpandRoundTrip) {
    const Bytes in = Binary(50000, 3);
    WriteAll(dir_ / "a.bin", in);
    ASSERT_EQ(Szdd("compress " + P("a.bin") + " " + P("a.sz")).code, 0);
    Bytes expected;
    ASSERT_EQ(szdd::Compress(in.data(), in.size(), expected), szdd::Status::Ok);
    EXPECT_EQ(ReadAll(dir_ / "a.sz"), expected);
    WriteAll(dir_ / "b.bin", Bytes(10, 'x'));  // an existing output is replaced
    ASSERT_EQ(Szdd("expand " + P("a.sz") + " " + P("b.bin")).code, 0);
    EXPECT_EQ(ReadAll(dir_ / "b.bin"), in);
    WriteAll(dir_ / "empty", {});
    ASSERT_EQ(Szdd("compress " + P("empty") + " " + P("empty.sz")).code, 0);
    EXPECT_EQ(ReadAll(dir_ / "empty.sz").size(), 14u);
}

TEST_F(Cli, InfoShowsHeaderSizesAndRatio) {
    const Bytes in = Repeat(1000, 'a');  // 56 references of 18, one literal: 1 + 2 * 56 + 8 groups
    Bytes file;
    ASSERT_EQ(szdd::Compress(in.data(), in.size(), file), szdd::Status::Ok);
    ASSERT_EQ(file.size(), 14u + 121u);
    WriteAll(dir_ / "a.sz", file);
    const Result r = Szdd("info " + P("a.sz"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("mode:            A (0x41)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("expanded size:   1000 bytes\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("compressed size: 135 bytes (14 header + 121 data)\n"), std::string::npos);
    EXPECT_NE(r.out.find("ratio:           13.5% of the expanded size (86.5% saved)\n"),
              std::string::npos) << r.out;
    WriteAll(dir_ / "e.sz", Bytes(file.begin(), file.begin() + 14) );
    const Result truncated = Szdd("info " + P("e.sz"));
    EXPECT_EQ(truncated.code, 1);
    EXPECT_NE(truncated.err.find("ends before the expanded length"), std::string::npos);
}

TEST_F(Cli, BadInputExitsWithOneAndWritesNothing) {
    WriteAll(dir_ / "plain.txt", Text(100, 1));
    Result r = Szdd("expand " + P("plain.txt") + " " + P("out"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("not an SZDD file"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out"));

    Bytes file;
    const Bytes in = Text(3000, 2);
    ASSERT_EQ(szdd::Compress(in.data(), in.size(), file), szdd::Status::Ok);
    WriteAll(dir_ / "short.sz", Bytes(file.begin(), file.end() - 1));
    r = Szdd("expand " + P("short.sz") + " " + P("out"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("ends before the expanded length"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out"));

    r = Szdd("compress " + P("missing") + " " + P("out"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("missing"), std::string::npos);
    EXPECT_EQ(Szdd("info " + P("plain.txt")).code, 1);
}

TEST_F(Cli, NeverOverwritesItsInput) {
    const Bytes in = Text(2000, 4);
    WriteAll(dir_ / "f", in);
    std::filesystem::create_directory(dir_ / "sub");
    std::filesystem::create_hard_link(dir_ / "f", dir_ / "sub/link");
    std::filesystem::create_symlink(dir_ / "f", dir_ / "sym");
    for (const std::string out : {"f", "sub/../f", "sub/link", "sym"}) {
        SCOPED_TRACE(out);
        for (const char* cmd : {"compress ", "expand "}) {
            const Result r = Szdd(cmd + P("f") + " " + P(out));
            EXPECT_EQ(r.code, 1);
            EXPECT_NE(r.err.find("same file as the input"), std::string::npos) << r.err;
        }
        EXPECT_EQ(ReadAll(dir_ / "f"), in);
    }
}
