// Independent reference implementations for checking the codec: a literal ring-buffer decoder
// and an exhaustive search for the smallest encoding. Neither shares code with the library.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd_reference {

// Decodes the data part (after the 14-byte header) item by item through a real 4096-byte ring.
// Stops at `length` bytes or when the data runs out; returns what it produced.
inline std::vector<std::uint8_t> RingDecode(const std::uint8_t* data, std::size_t size,
                                            std::size_t length) {
    std::uint8_t ring[4096];
    std::fill(ring, ring + 4096, 0x20);
    unsigned w = 4080;
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    auto put = [&](std::uint8_t b) {
        out.push_back(b);
        ring[w] = b;
        w = (w + 1) & 4095;
    };
    while (out.size() < length && i < size) {
        const unsigned flags = data[i++];
        for (int bit = 0; bit < 8 && out.size() < length; ++bit) {
            if (flags >> bit & 1) {
                if (i >= size) return out;
                put(data[i++]);
            } else {
                if (i + 1 >= size) return out;
                const unsigned pos = data[i] | (data[i + 1] & 0xF0) << 4;
                const unsigned len = (data[i + 1] & 0x0F) + 3;
                i += 2;
                for (unsigned k = 0; k < len && out.size() < length; ++k)
                    put(ring[(pos + k) & 4095]);
            }
        }
    }
    return out;
}

// Smallest size in bytes of the data part (flag bytes, literals, references) for `input`.
// Every ring position is tried at every output position, simulating the decoder's copy (which
// may read bytes that it has just written), and a search over (position, items so far mod 8)
// counts every flag byte exactly. O(n * 4096 * match length): for small inputs only.
inline std::size_t BruteForceOptimum(const std::vector<std::uint8_t>& input) {
    const std::size_t n = input.size();
    std::uint8_t ring[4096];
    std::fill(ring, ring + 4096, 0x20);
    unsigned w = 4080;
    std::vector<unsigned> longest(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        for (unsigned p = 0; p < 4096; ++p) {
            unsigned len = 0;
            while (len < 18 && i + len < n) {
                // Ring slot read by the copy's byte `len`; if the copy itself wrote that slot
                // (its byte m, m < len), it holds input[i + m] by now.
                const unsigned slot = (p + len) & 4095;
                const unsigned m = (slot - w) & 4095;
                const std::uint8_t b = m < len ? input[i + m] : ring[slot];
                if (b != input[i + len]) break;
                ++len;
            }
            longest[i] = std::max(longest[i], len);
        }
        ring[w] = input[i];
        w = (w + 1) & 4095;
    }
    const std::size_t kInf = ~std::size_t(0);
    // best[i * 8 + r]: fewest bytes for input[0, i) coded in a number of items = r (mod 8).
    std::vector<std::size_t> best((n + 1) * 8, kInf);
    best[0] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (unsigned r = 0; r < 8; ++r) {
            const std::size_t here = best[i * 8 + r];
            if (here == kInf) continue;
            const std::size_t flag = r == 0 ? 1 : 0;  // the item opens a new group
            const unsigned next = (r + 1) % 8;
            std::size_t& lit = best[(i + 1) * 8 + next];
            lit = std::min(lit, here + flag + 1);
            for (unsigned len = 3; len <= longest[i]; ++len) {
                std::size_t& ref = best[(i + len) * 8 + next];
                ref = std::min(ref, here + flag + 2);
            }
        }
    }
    return *std::min_element(best.begin() + n * 8, best.end());
}

}  // namespace szdd_reference
