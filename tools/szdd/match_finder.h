// Longest-match search over the last 4096 positions of a text (binary trees, as in LZ77 coders
// with a sliding window). Exact: it always finds the longest match, never a shorter one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

struct Match {
    unsigned length = 0;     // 0 when no match of kMinMatch bytes or more exists
    std::size_t distance = 0;  // 1 to 4096 bytes back; may be shorter than length (overlap)
};

class MatchFinder {
public:
    // `text` must stay valid while the finder is used; positions run from 0 to size - 1.
    MatchFinder(const std::uint8_t* text, std::size_t size);

    // Must be called for every position in order, starting at 0. Returns the longest match
    // for the string at `pos` among the earlier positions pos - 4096 .. pos - 1, at most
    // kMaxMatch bytes long and not running past the end of the text; and enters `pos`.
    Match FindAndInsert(std::size_t pos);

private:
    static constexpr std::size_t kCyclic = 4097;      // distances 1..4096
    static constexpr unsigned kHashBits = 15;

    const std::uint8_t* text_;
    std::size_t size_;
    std::size_t cyclic_pos_ = 0;                      // pos % kCyclic
    // Stored positions are pos + kCyclic, so that 0 (empty) is never within reach.
    std::vector<std::size_t> head_;                   // root of the tree of each hash
    std::vector<std::size_t> son_;                    // left, right child of each slot
};

}  // namespace szdd
