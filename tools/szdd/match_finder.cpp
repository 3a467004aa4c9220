#include "match_finder.h"

#include <algorithm>

#include "szdd_format.h"

namespace szdd {

namespace {

unsigned Hash3(const std::uint8_t* p, unsigned bits) {
    const std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - bits);
}

}  // namespace

MatchFinder::MatchFinder(const std::uint8_t* text, std::size_t size)
    : text_(text), size_(size), head_(std::size_t(1) << kHashBits, 0), son_(2 * kCyclic, 0) {}

// Each hash bucket holds a binary search tree of the positions in the window, ordered by the
// strings that start there (compared over at most `limit` bytes). The position being entered
// becomes the new root: walking down from the old root, every visited node goes to the left or
// right part of the new root, so the nodes on any path get older as they get deeper, and the
// walk can stop at the first node that has left the window. A node equal to the new string over
// `limit` bytes is replaced by it: any later match with the old node is at least as long with
// the new, nearer one.
Match MatchFinder::FindAndInsert(std::size_t pos) {
    Match best;
    std::size_t* left = &son_[2 * cyclic_pos_];       // where the next smaller node goes
    std::size_t* right = &son_[2 * cyclic_pos_ + 1];  // where the next larger node goes
    const std::size_t limit = std::min<std::size_t>(kMaxMatch, size_ - pos);
    const std::size_t cyc = cyclic_pos_;
    cyclic_pos_ = cyc + 1 == kCyclic ? 0 : cyc + 1;
    if (limit < kMinMatch) {  // no match possible, and none from here to the end either
        *left = *right = 0;
        return best;
    }
    const std::uint8_t* cur = text_ + pos;
    const std::size_t stored = pos + kCyclic;
    std::size_t& head = head_[Hash3(cur, kHashBits)];
    std::size_t candidate = head;
    head = stored;
    std::size_t len_left = 0, len_right = 0;  // prefixes known to be shared below each side
    for (;;) {
        const std::size_t delta = stored - candidate;
        if (delta >= kCyclic) {  // older than the window, and so is all below it
            *left = *right = 0;
            return best.length >= kMinMatch ? best : Match{};
        }
        std::size_t* pair = &son_[2 * (cyc >= delta ? cyc - delta : cyc + kCyclic - delta)];
        const std::uint8_t* other = cur - delta;
        std::size_t len = std::min(len_left, len_right);
        while (len < limit && other[len] == cur[len]) ++len;
        if (len > best.length) {
            best.length = unsigned(len);
            best.distance = delta;
            if (len == limit) {  // the new node takes the old one's place
                *left = pair[0];
                *right = pair[1];
                return best;
            }
        }
        if (other[len] < cur[len]) {
            *left = candidate;
            left = pair + 1;
            candidate = *left;
            len_left = len;
        } else {
            *right = candidate;
            right = pair;
            candidate = *right;
            len_right = len;
        }
    }
}

}  // namespace szdd
