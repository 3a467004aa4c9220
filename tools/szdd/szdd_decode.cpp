// Mode A decoder. The output buffer itself serves as the window: ring position p, seen from
// output position o, holds the byte output (4080 + o - p - 1) mod 4096 + 1 positions back, or a
// space while that lies before the start of the output.
//
// Whole groups far from both ends run without bounds checks (a group reads at most 16 bytes
// after its flag byte and writes at most 8 x 18 = 144); the rest checks every item.
#include <cstring>

#include "szdd_codec.h"

namespace szdd {

namespace {

// Room needed for the unchecked path: a group reads at most 16 bytes after its flag byte and
// writes at most 8 x 18 = 144; literals are moved 8 at a time and references 24 bytes at a
// time, so reads and writes may run up to 7 and 21 bytes past the group's own.
constexpr std::ptrdiff_t kFastInputRoom = 2 * kGroupItems + 8;
constexpr std::ptrdiff_t kFastOutputRoom = kGroupItems * kMaxMatch + 24;

inline std::size_t DistanceBack(std::size_t out_pos, unsigned ring_pos) {
    const std::size_t write_pos = (kRingStart + out_pos) & kRingMask;
    return ((write_pos - ring_pos - 1) & kRingMask) + 1;
}

// Copies byte by byte, writing exactly `len` bytes; reads spaces before the start of the output.
inline std::uint8_t* CopyExact(const std::uint8_t* out, std::uint8_t* op, std::size_t dist,
                               unsigned len) {
    const std::size_t o = std::size_t(op - out);
    std::size_t k = 0;
    if (dist > o) {  // the first dist - o bytes come from the initial spaces
        k = dist - o < len ? dist - o : len;
        std::memset(op, kRingFill, k);
    }
    for (; k < len; ++k) op[k] = out[o + k - dist];
    return op + len;
}

// Writes 24 bytes whatever the length; bytes past the copy are overwritten by what follows.
inline std::uint8_t* CopyFast(const std::uint8_t* out, std::uint8_t* op, std::size_t dist,
                              unsigned len) {
    if (dist > std::size_t(op - out)) return CopyExact(out, op, dist, len);
    const std::uint8_t* src = op - dist;
    if (dist == 1) {  // a run of one byte
        std::memset(op, *src, 24);
    } else if (dist < 8) {
        // Close copies repeat a pattern of `dist` bytes: lay down the first 8 one by one, then
        // go on in blocks from a whole number of periods back, at least 8 bytes back.
        for (unsigned k = 0; k < 8; ++k) op[k] = src[k];
        src = op + 8 - dist * ((8 + dist - 1) / dist);
        std::memcpy(op + 8, src, 8);
        std::memcpy(op + 16, src + 8, 8);
    } else {  // each 8-byte block is read only after all of it has been written
        std::memcpy(op, src, 8);
        std::memcpy(op + 8, src + 8, 8);
        std::memcpy(op + 16, src + 16, 8);
    }
    return op + len;
}

// Literal runs: flags hold only the group's remaining bits, so the count stops at them.
inline int CountTrailingOnes(unsigned flags) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctz(~flags);
#else
    int n = 0;
    for (; flags & 1; flags >>= 1) ++n;
    return n;
#endif
}

inline unsigned RingPos(const std::uint8_t* ip) { return ip[0] | (ip[1] & 0xF0u) << 4; }
inline unsigned RefLength(const std::uint8_t* ip) { return (ip[1] & 0x0Fu) + kMinMatch; }

Status ExpandData(const std::uint8_t* ip, const std::uint8_t* const iend, std::uint8_t* const out,
                  std::size_t length) {
    std::uint8_t* op = out;
    std::uint8_t* const oend = out + length;
    while (op != oend) {
        if (ip == iend) return Status::TruncatedData;
        unsigned flags = *ip++;
        if (iend - ip >= kFastInputRoom && oend - op >= kFastOutputRoom) {
            for (unsigned left = kGroupItems; left;) {
                if (flags & 1) {  // a run of literals, at most the items left in the group
                    const unsigned run = unsigned(CountTrailingOnes(flags));
                    std::memcpy(op, ip, 8);
                    op += run;
                    ip += run;
                    flags >>= run;
                    left -= run;
                } else {
                    op = CopyFast(out, op, DistanceBack(std::size_t(op - out), RingPos(ip)),
                                  RefLength(ip));
                    ip += 2;
                    flags >>= 1;
                    --left;
                }
            }
            continue;
        }
        for (unsigned n = 0; n < kGroupItems && op != oend; ++n, flags >>= 1) {
            if (flags & 1) {
                if (ip == iend) return Status::TruncatedData;
                *op++ = *ip++;
                continue;
            }
            if (iend - ip < 2) return Status::TruncatedData;
            const unsigned len = RefLength(ip);
            if (std::size_t(oend - op) < len) return Status::ReferencePastEnd;
            op = CopyExact(out, op, DistanceBack(std::size_t(op - out), RingPos(ip)), len);
            ip += 2;
        }
    }
    // The data ends with the item that completes the length; unused flag bits are not data.
    return ip == iend ? Status::Ok : Status::TrailingData;
}

}  // namespace

Status ExpandInto(const std::uint8_t* file, std::size_t size, std::uint8_t* out,
                  std::size_t capacity, std::size_t* expanded) {
    Header header;
    const Status status = ParseHeader(file, size, header);
    if (status != Status::Ok) return status;
    if (header.expanded_length > capacity) return Status::OutputTooSmall;
    const Status data_status =
        ExpandData(file + kHeaderSize, file + size, out, header.expanded_length);
    if (data_status == Status::Ok && expanded) *expanded = header.expanded_length;
    return data_status;
}

Status Expand(const std::uint8_t* file, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    Header header;
    Status status = ParseHeader(file, size, header);
    if (status != Status::Ok) return status;
    // A data byte yields at most 9 bytes (a group: 17 bytes, at most 144 out). Refuse a length
    // that the data cannot reach before allocating it.
    if (std::uint64_t(header.expanded_length) > 9 * std::uint64_t(size - kHeaderSize))
        return Status::TruncatedData;
    out.resize(header.expanded_length);
    status = ExpandInto(file, size, out.data(), out.size());
    if (status != Status::Ok) out.clear();
    return status;
}

}  // namespace szdd
