// Optimal parse for mode A.
//
// A file of L literals and R references in G = ceil((L + R) / 8) groups takes L + 2R + G bytes,
// and since L + 2R is whole, that is ceil((9L + 17R) / 8): the cost in bits (a literal 9, a
// reference 17, each counting its flag bit) rounded up to whole bytes. Rounding up keeps order,
// so a parse with the fewest bits is also a parse with the fewest bytes, final flag byte included.
//
// What the decoder's ring holds at each output position depends only on the bytes output so far,
// never on how they were coded, so the matches available at a position are fixed. A shorter
// prefix of a match is a match too, so the longest match at each position describes every
// reference that can start there, and a shortest-path pass over the positions finds the optimum.
//
// The ring, seen from output position i, is the text "4096 spaces, then the input": a reference
// reads the bytes 1 to 4096 positions back in it, byte by byte, so it may overlap its own output.
#include <algorithm>
#include <cstring>
#include <limits>

#include "match_finder.h"
#include "szdd_codec.h"

namespace szdd {

namespace {

constexpr std::uint64_t kLiteralBits = 9;
constexpr std::uint64_t kReferenceBits = 17;

struct Parse {
    // steps[i]: length of the item that starts at i on the chosen path (1 for a literal).
    std::vector<std::uint8_t> steps;
    // ring[i]: ring position of the longest match at i, when steps[i] >= kMinMatch.
    std::vector<std::uint16_t> ring;
    std::uint64_t bits = 0;
};

Parse FindCheapestParse(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> text(kRingSize + size, kRingFill);
    if (size) std::memcpy(text.data() + kRingSize, data, size);
    MatchFinder finder(text.data(), text.size());
    for (std::size_t p = 0; p < kRingSize; ++p) finder.FindAndInsert(p);

    Parse parse;
    parse.steps.assign(size + 1, 0);  // first: length of the last item on the best path to i
    parse.ring.assign(size, 0);
    // Costs of the positions i .. i + kMaxMatch, kept in a small ring of their own.
    constexpr std::size_t kSlots = 32;
    constexpr std::uint64_t kUnreached = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t cost[kSlots];
    std::fill(cost, cost + kSlots, kUnreached);
    cost[0] = 0;
    auto relax = [&](std::size_t to, std::uint64_t bits, unsigned length) {
        std::uint64_t& slot = cost[to % kSlots];
        if (bits < slot) {
            slot = bits;
            parse.steps[to] = std::uint8_t(length);
        }
    };
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint64_t here = cost[i % kSlots];
        cost[i % kSlots] = kUnreached;  // the slot now belongs to position i + kSlots
        relax(i + 1, here + kLiteralBits, 1);
        const Match m = finder.FindAndInsert(kRingSize + i);
        if (m.length < kMinMatch) continue;
        // Source i - distance, in ring terms: output position j is stored at 4080 + j.
        parse.ring[i] = std::uint16_t((kRingStart + kRingSize + i - m.distance) & kRingMask);
        for (unsigned len = kMinMatch; len <= m.length; ++len)
            relax(i + len, here + kReferenceBits, len);
    }
    parse.bits = cost[size % kSlots];

    // Walk back from the end, turning "length of the item ending at j" into "length of the item
    // starting at j" in place: each value is read before the item start overwrites it.
    if (size) {
        std::size_t j = size - parse.steps[size];
        std::uint8_t carried = parse.steps[size];
        while (j > 0) {
            const std::uint8_t ending_here = parse.steps[j];
            parse.steps[j] = carried;
            carried = ending_here;
            j -= ending_here;
        }
        parse.steps[0] = carried;
    }
    return parse;
}

}  // namespace

Status Compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    if (std::uint64_t(size) > kMaxInput) return Status::InputTooLarge;
    const Parse parse = FindCheapestParse(data, size);

    out.resize(kHeaderSize + (parse.bits + 7) / 8);
    WriteHeader(std::uint32_t(size), out.data());
    std::uint8_t* op = out.data() + kHeaderSize;
    std::uint8_t* flags = nullptr;
    unsigned item = kGroupItems;
    for (std::size_t i = 0; i < size;) {
        if (item == kGroupItems) {
            flags = op++;
            *flags = 0;
            item = 0;
        }
        const unsigned len = parse.steps[i];
        if (len == 1) {
            *flags |= std::uint8_t(1u << item);
            *op++ = data[i];
        } else {
            const unsigned ring = parse.ring[i];
            *op++ = std::uint8_t(ring & 0xFF);
            *op++ = std::uint8_t(((ring >> 4) & 0xF0) | (len - kMinMatch));
        }
        ++item;
        i += len;
    }
    out.resize(std::size_t(op - out.data()));  // equal to the size reserved from the bit count
    return Status::Ok;
}

}  // namespace szdd
