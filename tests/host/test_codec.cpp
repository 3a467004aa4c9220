// Round trips, exact sizes of hand-checked cases, decoder errors and decoder semantics.
#include <gtest/gtest.h>

#include <cstring>

#include "szdd_codec.h"
#include "szdd_reference.h"
#include "test_data.h"

using namespace szdd_test;
using szdd::Status;

namespace {

Bytes Compressed(const Bytes& in) {
    Bytes out;
    EXPECT_EQ(szdd::Compress(in.data(), in.size(), out), Status::Ok);
    return out;
}

Status ExpandStatus(const Bytes& file) {
    Bytes out;
    return szdd::Expand(file.data(), file.size(), out);
}

// A file with the given header length and raw data bytes.
Bytes File(std::uint32_t length, const Bytes& data) {
    Bytes f(szdd::kHeaderSize);
    szdd::WriteHeader(length, f.data());
    return Concat(f, data);
}

void ExpectRoundTrip(const Bytes& in) {
    const Bytes file = Compressed(in);
    Bytes back;
    ASSERT_EQ(szdd::Expand(file.data(), file.size(), back), Status::Ok);
    EXPECT_EQ(back, in);
}

}  // namespace

TEST(SzddCodec, HeaderIsExact) {
    const Bytes file = Compressed(Text(300, 1));
    const Bytes expected = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x00,
                            0x2C, 0x01, 0x00, 0x00};
    ASSERT_GE(file.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
    szdd::Header h;
    ASSERT_EQ(szdd::ParseHeader(file.data(), file.size(), h), Status::Ok);
    EXPECT_EQ(h.expanded_length, 300u);
    EXPECT_EQ(h.name_char, 0);
}

TEST(SzddCodec, SmallCasesHaveTheirKnownSizes) {
    EXPECT_EQ(Compressed({}).size(), 14u);                   // header only, no flag byte
    EXPECT_EQ(Compressed({'x'}), File(1, {0x01, 'x'}));      // one group: one literal
    // A run of 17..19: one literal, then one overlapping copy of the previous byte.
    for (unsigned n : {17u, 18u, 19u}) EXPECT_EQ(Compressed(Repeat(n, 'q')).size(), 14u + 4u) << n;
    EXPECT_EQ(Compressed(Repeat(20, 'q')).size(), 14u + 5u);
    // Spaces only: references into the initial window, 18 bytes each, no literal at all.
    const Bytes spaces = Compressed(Repeat(18 * 8, ' '));
    EXPECT_EQ(spaces.size(), 14u + 17u);
    EXPECT_EQ(spaces[14], 0x00);  // eight references
    EXPECT_EQ(Compressed(Repeat(18 * 8 + 1, ' ')).size(), 14u + 17u + 2u);  // then a literal
}

TEST(SzddCodec, RoundTripsVariedInputs) {
    for (std::size_t n : {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 18, 19, 100, 4095, 4096, 4097, 70000}) {
        SCOPED_TRACE(n);
        ExpectRoundTrip(Random(n, n));
        ExpectRoundTrip(Random(n, n, 2));
        ExpectRoundTrip(Text(n, n));
        ExpectRoundTrip(Binary(n, n));
        ExpectRoundTrip(Repeat(n, ' '));
        ExpectRoundTrip(Repeat(n, 0));
    }
    // Far larger than the window, repeating at the ring's wrap-around distances.
    const Bytes block = Random(4096, 7);
    ExpectRoundTrip(Concat(Concat(block, block), block));
    ExpectRoundTrip(Concat(Concat(Random(1, 8), block), block));
    ExpectRoundTrip(Binary(3 << 20, 9));
}

TEST(SzddCodec, RefusesFourGibibytes) {
    const std::uint8_t byte = 0;
    Bytes out{1, 2, 3};
    // The size is refused before any byte is read.
    EXPECT_EQ(szdd::Compress(&byte, std::size_t(1) << 32, out), Status::InputTooLarge);
    EXPECT_TRUE(out.empty());
}

TEST(SzddDecode, HeaderErrorsAreDistinct) {
    const Bytes good = Compressed(Text(100, 2));
    EXPECT_EQ(ExpandStatus({}), Status::BadSignature);
    EXPECT_EQ(ExpandStatus({'a', 'b', 'c'}), Status::BadSignature);
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        EXPECT_EQ(ExpandStatus(bad), Status::BadSignature) << i;
    }
    for (std::size_t n = 1; n < szdd::kHeaderSize; ++n)
        EXPECT_EQ(ExpandStatus(Bytes(good.begin(), good.begin() + n)), Status::TruncatedHeader) << n;
    for (std::uint8_t mode : {0x00, 0x42, 0x61}) {
        Bytes bad = good;
        bad[8] = mode;
        EXPECT_EQ(ExpandStatus(bad), Status::BadMode);
    }
    Bytes other_name = good;  // the name character is not used
    other_name[9] = '_';
    EXPECT_EQ(ExpandStatus(other_name), Status::Ok);
}

TEST(SzddDecode, EveryShorterFileIsTruncated) {
    for (const Bytes& in : {Text(500, 3), Binary(500, 3), Repeat(300, ' ')}) {
        const Bytes file = Compressed(in);
        for (std::size_t n = szdd::kHeaderSize; n < file.size(); ++n)
            ASSERT_EQ(ExpandStatus(Bytes(file.begin(), file.begin() + n)), Status::TruncatedData) << n;
        Bytes longer = file;  // a header that promises more than the data holds
        longer[10] += 1;
        EXPECT_EQ(ExpandStatus(longer), Status::TruncatedData);
    }
    EXPECT_EQ(ExpandStatus(File(0xFFFFFFFFu, {0x00, 0x00, 0x0F})), Status::TruncatedData);
}

TEST(SzddDecode, LeftoverDataIsRefused) {
    const Bytes file = Compressed(Text(200, 4));
    EXPECT_EQ(ExpandStatus(Concat(file, {0x00})), Status::TrailingData);
    EXPECT_EQ(ExpandStatus(File(0, {0x01})), Status::TrailingData);        // a lone flag byte
    EXPECT_EQ(ExpandStatus(File(8, Concat({0xFF}, Random(8, 1)))), Status::Ok);
    EXPECT_EQ(ExpandStatus(File(8, Concat({0xFF}, Random(9, 1)))), Status::TrailingData);
    // Unused flag bits of the last group are not data, whatever their value.
    EXPECT_EQ(ExpandStatus(File(2, {0x03, 'a', 'b'})), Status::Ok);
    EXPECT_EQ(ExpandStatus(File(2, {0xFF, 'a', 'b'})), Status::Ok);
    EXPECT_EQ(ExpandStatus(File(1, {0x03, 'a', 'b'})), Status::TrailingData);
}

TEST(SzddDecode, ReferencePastTheLengthIsRefused) {
    // Literal 'a', then a reference of 5 to the ring position just written (4080).
    const Bytes data = {0x01, 'a', 0xF0, 0xF2};
    Bytes out;
    ASSERT_EQ(szdd::Expand(File(6, data).data(), 14 + data.size(), out), Status::Ok);
    EXPECT_EQ(out, Repeat(6, 'a'));
    EXPECT_EQ(ExpandStatus(File(5, data)), Status::ReferencePastEnd);
    EXPECT_EQ(ExpandStatus(File(7, data)), Status::TruncatedData);
}

TEST(SzddDecode, ExpandIntoChecksCapacity) {
    const Bytes in = Binary(1000, 5);
    const Bytes file = Compressed(in);
    Bytes out(999);
    EXPECT_EQ(szdd::ExpandInto(file.data(), file.size(), out.data(), out.size()),
              Status::OutputTooSmall);
    out.resize(1000);
    std::size_t got = 0;
    ASSERT_EQ(szdd::ExpandInto(file.data(), file.size(), out.data(), out.size(), &got), Status::Ok);
    EXPECT_EQ(got, 1000u);
    EXPECT_EQ(out, in);
}

TEST(SzddDecode, RingSemantics) {
    Bytes out;
    // Position 0 before anything is written there: initial spaces.
    ASSERT_EQ(szdd::Expand(File(4, {0x00, 0x00, 0x01}).data(), 17, out), Status::Ok);
    EXPECT_EQ(out, Repeat(4, ' '));
    // Two literals, then 18 bytes from 4080 (distance 2): "ab" repeated.
    ASSERT_EQ(szdd::Expand(File(20, {0x03, 'a', 'b', 0xF0, 0xFF}).data(), 19, out), Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "abababababababababab");
    // A copy from 4079: one initial space, the two literals, then the bytes it has just written.
    ASSERT_EQ(szdd::Expand(File(7, {0x03, 'x', 'y', 0xEF, 0xF2}).data(), 19, out), Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "xy xy x");
}

// Random item streams through both decoders: every distance, overlap and window case.
TEST(SzddDecode, AgreesWithRingDecoderOnRandomStreams) {
    Rng rng(11);
    for (int round = 0; round < 400; ++round) {
        Bytes data;
        std::size_t length = 0;
        const unsigned groups = 1 + rng.Below(round < 200 ? 40 : 900);
        const unsigned near = rng.Below(3);  // favour references close behind the write position
        for (unsigned g = 0; g < groups; ++g) {
            const unsigned flags = rng.Below(256);
            data.push_back(std::uint8_t(flags));
            for (int bit = 0; bit < 8; ++bit) {
                if (flags >> bit & 1) {
                    data.push_back(std::uint8_t(rng.Below(4)));
                    ++length;
                    continue;
                }
                unsigned pos = rng.Below(4096);
                if (near) pos = (4080 + length - 1 - rng.Below(20)) & 4095;
                const unsigned len = rng.Below(16);
                data.push_back(std::uint8_t(pos));
                data.push_back(std::uint8_t((pos >> 4 & 0xF0) | len));
                length += len + 3;
            }
        }
        const Bytes expected = szdd_reference::RingDecode(data.data(), data.size(), length);
        ASSERT_EQ(expected.size(), length);
        Bytes out;
        ASSERT_EQ(szdd::Expand(File(std::uint32_t(length), data).data(), 14 + data.size(), out),
                  Status::Ok);
        ASSERT_EQ(out, expected) << "round " << round;
    }
}
