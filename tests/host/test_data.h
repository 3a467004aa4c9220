// Deterministic sample inputs for the codec tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace szdd_test {

using Bytes = std::vector<std::uint8_t>;

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {  // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return unsigned(Next() % n); }

private:
    std::uint64_t state_;
};

inline Bytes Random(std::size_t n, std::uint64_t seed, unsigned alphabet = 256) {
    Rng rng(seed);
    Bytes b(n);
    for (auto& c : b) c = std::uint8_t(alphabet == 256 ? rng.Next() : 'a' + rng.Below(alphabet));
    return b;
}

inline Bytes Repeat(std::size_t n, std::uint8_t c) { return Bytes(n, c); }

// Words and spaces, line breaks: compresses like prose.
inline Bytes Text(std::size_t n, std::uint64_t seed) {
    static const char* const kWords[] = {"the ", "test ", "file ", "of ", "install ", "merolin ",
                                         "and ", "a ", "window ", "setup ", "\r\n", "    "};
    Rng rng(seed);
    Bytes b;
    while (b.size() < n) {
        const std::string w = kWords[rng.Below(12)];
        b.insert(b.end(), w.begin(), w.end());
    }
    b.resize(n);
    return b;
}

// Records with runs of zeros, small counters and repeated tables: compresses like executables.
inline Bytes Binary(std::size_t n, std::uint64_t seed) {
    Rng rng(seed);
    Bytes b;
    while (b.size() < n) {
        switch (rng.Below(4)) {
        case 0: b.insert(b.end(), 1 + rng.Below(40), 0); break;
        case 1:
            for (unsigned k = 0, base = rng.Below(256); k < 4 + rng.Below(12); ++k)
                b.push_back(std::uint8_t(base + k));
            break;
        case 2:
            if (b.size() > 64) {
                const std::size_t from = b.size() - 1 - rng.Below(unsigned(std::min<std::size_t>(b.size() - 1, 5000)));
                for (unsigned k = 0, len = 2 + rng.Below(30); k < len; ++k) b.push_back(b[from + k]);
            }
            break;
        default:
            for (unsigned k = 0, len = 1 + rng.Below(8); k < len; ++k) b.push_back(std::uint8_t(rng.Next()));
        }
    }
    b.resize(n);
    return b;
}

inline Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

}  // namespace szdd_test
