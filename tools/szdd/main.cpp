// szdd: compress, expand and describe Microsoft LZ (SZDD) files.
// Exit codes: 0 success, 1 bad input or I/O failure, 2 wrong usage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "szdd_codec.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: szdd compress IN OUT   compress IN into the SZDD file OUT (smallest possible)\n"
    "       szdd expand IN OUT     expand the SZDD file IN into OUT\n"
    "       szdd info FILE         show the header, sizes and ratio of an SZDD file\n"
    "       szdd checksums OUT ID=FILE...\n"
    "                              write the check table of resources: for each, its\n"
    "                              number, length and CRC-32, as three little-endian\n"
    "                              32-bit words\n"
    "OUT is replaced if it exists, but never when it is the same file as IN.\n"
    "Exit status: 0 success, 1 bad input or I/O error, 2 wrong usage.\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "szdd: %s\n", problem);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

int Fail(const std::string& path, const char* what) {
    std::fprintf(stderr, "szdd: %s: %s\n", path.c_str(), what);
    return kExitBadInput;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    data.clear();
    std::uint8_t buf[1 << 16];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool wrote = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && wrote;
}

// True when OUT names the file IN already is (same device and inode), by any path or link.
bool SameFile(const std::string& in, const std::string& out) {
    std::error_code ec;
    return std::filesystem::equivalent(in, out, ec) && !ec;
}

int Convert(bool compress, const std::string& in, const std::string& out) {
    if (SameFile(in, out))
        return Fail(out, "is the same file as the input; refusing to overwrite the input");
    std::vector<std::uint8_t> input, output;
    if (!ReadFile(in, input)) return Fail(in, std::strerror(errno));
    const szdd::Status status = compress ? szdd::Compress(input.data(), input.size(), output)
                                         : szdd::Expand(input.data(), input.size(), output);
    if (status != szdd::Status::Ok) return Fail(in, szdd::StatusMessage(status));
    if (!WriteFile(out, output)) return Fail(out, std::strerror(errno));
    return kExitOk;
}

int Info(const std::string& path) {
    std::vector<std::uint8_t> file, expanded;
    if (!ReadFile(path, file)) return Fail(path, std::strerror(errno));
    szdd::Header header;
    szdd::Status status = szdd::ParseHeader(file.data(), file.size(), header);
    if (status != szdd::Status::Ok) return Fail(path, szdd::StatusMessage(status));
    std::printf("file:            %s\n", path.c_str());
    std::printf("signature:       SZDD (53 5A 44 44 88 F0 27 33)\n");
    std::printf("mode:            A (0x%02X)\n", header.mode);
    std::printf("name character:  0x%02X\n", header.name_char);
    std::printf("expanded size:   %lu bytes\n", static_cast<unsigned long>(header.expanded_length));
    std::printf("compressed size: %zu bytes (%zu header + %zu data)\n", file.size(),
                szdd::kHeaderSize, file.size() - szdd::kHeaderSize);
    if (header.expanded_length == 0) {
        std::printf("ratio:           n/a (empty file)\n");
    } else {
        const double percent = 100.0 * double(file.size()) / double(header.expanded_length);
        std::printf("ratio:           %.1f%% of the expanded size (%.1f%% saved)\n", percent,
                    100.0 - percent);
    }
    status = szdd::Expand(file.data(), file.size(), expanded);
    if (status != szdd::Status::Ok) return Fail(path, szdd::StatusMessage(status));
    std::printf("data:            valid\n");
    return kExitOk;
}

// The CRC-32 of ZIP and PNG (reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(const std::vector<std::uint8_t>& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : data) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

int Checksums(const std::string& out, int count, char** rows) {
    std::vector<std::uint8_t> table, file;
    for (int i = 0; i < count; ++i) {
        const std::string row = rows[i];
        const std::size_t eq = row.find('=');
        char* end = nullptr;
        const unsigned long id = std::strtoul(row.c_str(), &end, 10);
        if (eq == std::string::npos || eq == 0 || end != row.c_str() + eq || id == 0 || id > 0xFFFF)
            return Usage(("not a resource number and file: " + row).c_str());
        const std::string path = row.substr(eq + 1);
        if (!ReadFile(path, file)) return Fail(path, std::strerror(errno));
        for (std::uint32_t word : {std::uint32_t(id), std::uint32_t(file.size()), Crc32(file)})
            for (int b = 0; b < 4; ++b) table.push_back(std::uint8_t(word >> (8 * b)));
    }
    if (!WriteFile(out, table)) return Fail(out, std::strerror(errno));
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage(nullptr);
    const std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "compress" || command == "expand") {
        if (argc != 4) return Usage("compress and expand take an input and an output file");
        return Convert(command == "compress", argv[2], argv[3]);
    }
    if (command == "info") {
        if (argc != 3) return Usage("info takes one file");
        return Info(argv[2]);
    }
    if (command == "checksums") {
        if (argc < 4) return Usage("checksums takes an output file and one or more ID=FILE");
        return Checksums(argv[2], argc - 3, argv + 3);
    }
    return Usage(("unknown command '" + command + "'").c_str());
}
