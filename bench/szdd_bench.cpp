// Side-by-side figures for the SZDD codec: sizes, distance from the optimum and speed of our
// encoder against mscompress, decode speed of our decoder against libmspack and msexpand, in
// memory and as whole commands. Usage: szdd_bench SZDD_COMMAND FILE...
// Prints Markdown tables on standard output.
#include <mspack.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "szdd_codec.h"
#include "szdd_reference.h"

extern char** environ;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBruteForceLimit = 16 * 1024;  // exhaustive optimum only for small files

Bytes ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// Fastest of several runs, in seconds: repeats until `budget` seconds have gone by.
double BestTime(const std::function<void()>& run, double budget, int min_runs) {
    double best = 1e30, total = 0;
    for (int n = 0; n < min_runs || total < budget; ++n) {
        const auto t0 = Clock::now();
        run();
        const double t = std::chrono::duration<double>(Clock::now() - t0).count();
        best = std::min(best, t);
        total += t;
    }
    return best;
}

// Runs a command with standard input and output redirected; false unless it exits with 0.
bool RunCommand(const std::vector<std::string>& argv, const std::string& in, const std::string& out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// libmspack reads and writes through an mspack_system; this one keeps both files in memory.
// The "file names" handed to the decompressor are pointers to MemFile.
struct MemFile {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0, pos = 0;
    std::uint8_t* out = nullptr;
    std::size_t out_capacity = 0, out_length = 0;
};

mspack_file* MemOpen(mspack_system*, const char* name, int) {
    auto* f = reinterpret_cast<MemFile*>(const_cast<char*>(name));
    f->pos = 0;
    f->out_length = 0;
    return reinterpret_cast<mspack_file*>(f);
}
void MemClose(mspack_file*) {}
int MemRead(mspack_file* file, void* buffer, int bytes) {
    auto* f = reinterpret_cast<MemFile*>(file);
    const std::size_t n = std::min<std::size_t>(std::size_t(bytes), f->size - f->pos);
    std::memcpy(buffer, f->data + f->pos, n);
    f->pos += n;
    return int(n);
}
int MemWrite(mspack_file* file, void* buffer, int bytes) {
    auto* f = reinterpret_cast<MemFile*>(file);
    if (f->out_length + std::size_t(bytes) > f->out_capacity) return -1;
    std::memcpy(f->out + f->out_length, buffer, std::size_t(bytes));
    f->out_length += std::size_t(bytes);
    return bytes;
}
int MemSeek(mspack_file* file, off_t offset, int mode) {
    auto* f = reinterpret_cast<MemFile*>(file);
    const off_t base = mode == MSPACK_SYS_SEEK_START ? 0
                       : mode == MSPACK_SYS_SEEK_CUR ? off_t(f->pos) : off_t(f->size);
    if (base + offset < 0 || std::size_t(base + offset) > f->size) return -1;
    f->pos = std::size_t(base + offset);
    return 0;
}
off_t MemTell(mspack_file* file) { return off_t(reinterpret_cast<MemFile*>(file)->pos); }
void MemMessage(mspack_file*, const char*, ...) {}
void* MemAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void MemFree(void* p) { std::free(p); }
void MemCopy(void* src, void* dest, size_t bytes) { std::memcpy(dest, src, bytes); }

mspack_system g_memory_system = {MemOpen, MemClose, MemRead,  MemWrite, MemSeek, MemTell,
                                 MemMessage, MemAlloc, MemFree, MemCopy, nullptr};

struct Row {
    std::string name;
    std::size_t size = 0, ours = 0, theirs = 0;
    long optimum = -1;                        // exhaustive optimum (file size), -1: not computed
    double enc_mem = 0, enc_cmd = 0, msc_cmd = 0;                 // seconds
    double dec_mem = 0, dec_cmd = 0, mspack_mem = 0, msx_cmd = 0;  // seconds
    bool all_ok = true;
};

double Mbps(std::size_t bytes, double seconds) { return seconds > 0 ? bytes / seconds / 1e6 : 0; }

Row Measure(const std::string& path, const std::string& szdd, const std::string& tmp) {
    Row r;
    r.name = path;
    const Bytes in = ReadAll(path);
    r.size = in.size();
    const double mem_budget = 0.3, cmd_budget = 0.6;

    Bytes ours;
    r.enc_mem = BestTime([&] { szdd::Compress(in.data(), in.size(), ours); }, mem_budget, 1);
    r.ours = ours.size();
    if (in.size() <= kBruteForceLimit)
        r.optimum = long(szdd::kHeaderSize + szdd_reference::BruteForceOptimum(in));

    const std::string plain = tmp + "/f", packed = tmp + "/f.sz", theirs_path = tmp + "/f_",
                      back = tmp + "/back";
    WriteAll(plain, in);
    WriteAll(packed, ours);
    r.enc_cmd = BestTime([&] { r.all_ok &= RunCommand({szdd, "compress", plain, tmp + "/g.sz"}, "", ""); },
                         cmd_budget, 2);
    r.all_ok &= ReadAll(tmp + "/g.sz") == ours;
    r.msc_cmd = BestTime(
        [&] {
            std::filesystem::remove(theirs_path);
            r.all_ok &= RunCommand({"/usr/bin/mscompress", plain}, "", "");
        },
        cmd_budget, 2);
    const Bytes theirs = ReadAll(theirs_path);
    r.theirs = theirs.size();

    // Every decoder expands our file; each result is checked against the input.
    Bytes out(in.size());
    r.dec_mem = BestTime([&] { szdd::ExpandInto(ours.data(), ours.size(), out.data(), out.size()); },
                         mem_budget, 3);
    r.all_ok &= out == in;
    Bytes spack(in.size() + 1);
    MemFile src{ours.data(), ours.size(), 0, nullptr, 0, 0};
    MemFile dst{nullptr, 0, 0, spack.data(), spack.size(), 0};
    msszdd_decompressor* d = mspack_create_szdd_decompressor(&g_memory_system);
    r.mspack_mem = BestTime(
        [&] {
            r.all_ok &= d->decompress(d, reinterpret_cast<const char*>(&src),
                                      reinterpret_cast<const char*>(&dst)) == MSPACK_ERR_OK;
        },
        mem_budget, 3);
    mspack_destroy_szdd_decompressor(d);
    r.all_ok &= dst.out_length == in.size() && std::equal(in.begin(), in.end(), spack.begin());
    r.dec_cmd = BestTime([&] { r.all_ok &= RunCommand({szdd, "expand", packed, back}, "", ""); },
                         cmd_budget, 2);
    r.all_ok &= ReadAll(back) == in;
    r.msx_cmd = BestTime([&] { r.all_ok &= RunCommand({"/usr/bin/msexpand"}, packed, back); },
                         cmd_budget, 2);
    r.all_ok &= ReadAll(back) == in;
    return r;
}

std::string Short(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: szdd_bench SZDD_COMMAND FILE...\n");
        return 2;
    }
    char pattern[] = "/tmp/szdd-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string tmp = pattern;
    std::vector<Row> rows;
    for (int i = 2; i < argc; ++i) {
        std::fprintf(stderr, "measuring %s\n", argv[i]);
        rows.push_back(Measure(argv[i], argv[1], tmp));
    }
    std::filesystem::remove_all(tmp);

    Row total;
    total.name = "**total**";
    bool ok = true, never_larger = true;
    for (const Row& r : rows) {
        total.size += r.size;
        total.ours += r.ours;
        total.theirs += r.theirs;
        total.enc_mem += r.enc_mem;
        total.enc_cmd += r.enc_cmd;
        total.msc_cmd += r.msc_cmd;
        total.dec_mem += r.dec_mem;
        total.dec_cmd += r.dec_cmd;
        total.mspack_mem += r.mspack_mem;
        total.msx_cmd += r.msx_cmd;
        ok &= r.all_ok;
        never_larger &= r.ours <= r.theirs;
    }
    std::printf("### Size and encoding speed\n\n");
    std::printf("| file | bytes | szdd | mscompress | szdd / input | mscompress over szdd | "
                "szdd vs exhaustive optimum | szdd MB/s (memory) | szdd compress MB/s (command) | "
                "mscompress MB/s (command) |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    auto size_row = [](const Row& r, const std::string& name) {
        std::string opt = r.optimum < 0 ? "not run (large)"
                          : long(r.ours) == r.optimum ? "equal"
                          : "+" + std::to_string(long(r.ours) - r.optimum) + " bytes";
        if (r.name == "**total**") opt = "";
        std::printf("| %s | %zu | %zu | %zu | %.2f%% | +%zu (%.2f%%) | %s | %.1f | %.1f | %.1f |\n",
                    name.c_str(), r.size, r.ours, r.theirs, 100.0 * r.ours / std::max<std::size_t>(r.size, 1),
                    r.theirs - std::min(r.theirs, r.ours), 100.0 * (double(r.theirs) - r.ours) / std::max<std::size_t>(r.ours, 1),
                    opt.c_str(), Mbps(r.size, r.enc_mem), Mbps(r.size, r.enc_cmd), Mbps(r.size, r.msc_cmd));
    };
    for (const Row& r : rows) size_row(r, Short(r.name));
    size_row(total, total.name);
    std::printf("\n### Decoding speed (MB/s of expanded output; every decoder expands the szdd file)\n\n");
    std::printf("| file | bytes | szdd (memory) | libmspack (memory) | szdd expand (command) | "
                "msexpand (command) |\n|---|---:|---:|---:|---:|---:|\n");
    auto speed_row = [](const Row& r, const std::string& name) {
        std::printf("| %s | %zu | %.0f | %.0f | %.1f | %.1f |\n", name.c_str(), r.size,
                    Mbps(r.size, r.dec_mem), Mbps(r.size, r.mspack_mem), Mbps(r.size, r.dec_cmd),
                    Mbps(r.size, r.msx_cmd));
    };
    for (const Row& r : rows) speed_row(r, Short(r.name));
    speed_row(total, total.name);
    std::printf("\nTotals rows: all bytes over the sum of the best times. Every output checked "
                "against the input: %s. szdd at or below mscompress for every file: %s.\n",
                ok ? "yes" : "NO", never_larger ? "yes" : "NO");
    std::printf("\n**Totals** over %zu files, %zu bytes: szdd %zu bytes (%.2f%%), mscompress %zu "
                "bytes (%.2f%%, %.2f%% larger than szdd). Encoding: szdd %.1f MB/s in memory, "
                "%.1f MB/s as a command; mscompress %.1f MB/s as a command. Decoding: szdd %.0f "
                "MB/s in memory, libmspack %.0f MB/s in memory; szdd %.1f MB/s as a command, "
                "msexpand %.1f MB/s as a command.\n",
                rows.size(), total.size, total.ours, 100.0 * total.ours / total.size, total.theirs,
                100.0 * total.theirs / total.size, 100.0 * (double(total.theirs) - total.ours) / total.ours,
                Mbps(total.size, total.enc_mem), Mbps(total.size, total.enc_cmd),
                Mbps(total.size, total.msc_cmd), Mbps(total.size, total.dec_mem),
                Mbps(total.size, total.mspack_mem), Mbps(total.size, total.dec_cmd),
                Mbps(total.size, total.msx_cmd));
    return ok && never_larger ? 0 : 1;
}
