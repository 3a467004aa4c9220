// The encoder's output is as small as the format allows: equal to an exhaustive search that
// simulates the decoder's ring and counts flag bytes exactly.
#include <gtest/gtest.h>

#include "szdd_codec.h"
#include "szdd_reference.h"
#include "test_data.h"

using namespace szdd_test;

namespace {

void ExpectOptimal(const Bytes& in) {
    Bytes file;
    ASSERT_EQ(szdd::Compress(in.data(), in.size(), file), szdd::Status::Ok);
    ASSERT_GE(file.size(), szdd::kHeaderSize);
    EXPECT_EQ(file.size() - szdd::kHeaderSize, szdd_reference::BruteForceOptimum(in))
        << "input of " << in.size() << " bytes";
    EXPECT_EQ(szdd_reference::RingDecode(file.data() + 14, file.size() - 14, in.size()), in);
}

}  // namespace

// Sizes 0..40 put the item count on both sides of every group boundary (7, 8, 9, 15, 16, 17, ...).
TEST(SzddOptimum, ShortInputsAcrossGroupBoundaries) {
    for (std::size_t n = 0; n <= 40; ++n) {
        SCOPED_TRACE(n);
        ExpectOptimal(Random(n, 100 + n));       // literals only
        ExpectOptimal(Random(n, 200 + n, 2));    // many short matches
        ExpectOptimal(Repeat(n, 'a'));
        ExpectOptimal(Repeat(n, ' '));              // references into the initial window
        ExpectOptimal(Text(n, 300 + n));
    }
}

TEST(SzddOptimum, MixedInputs) {
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        ExpectOptimal(Text(600 + 37 * seed, seed));
        ExpectOptimal(Binary(900 + 53 * seed, seed));
        ExpectOptimal(Random(400, seed, 3));
    }
    Bytes sparse = Repeat(700, ' ');  // spaces with a few marks: window and ordinary matches mixed
    for (std::size_t i = 0; i < sparse.size(); i += 97) sparse[i] = 'x';
    ExpectOptimal(sparse);
}

// Beyond the window: repeats exactly at 4096 (the slot being overwritten) and just out of reach.
TEST(SzddOptimum, RingWrapAround) {
    const Bytes block = Random(4095, 41, 16);
    ExpectOptimal(Concat(block, block));                         // distance 4095
    ExpectOptimal(Concat(Concat(block, {'!'}), block));          // distance 4096
    ExpectOptimal(Concat(Concat(block, {'!', '?'}), block));     // distance 4097: out of reach
    ExpectOptimal(Binary(9000, 42));
    ExpectOptimal(Text(9000, 43));
}
