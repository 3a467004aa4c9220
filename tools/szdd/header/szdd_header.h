// The 14-byte header of an SZDD compressed file (signature, mode, last name character,
// expanded length), and its one reader. Shared by the host codec and by the installer,
// which checks the length an expansion gave against it: no library, no allocation.
#pragma once
#include <cstddef>
#include <cstdint>

namespace szdd {

constexpr std::uint8_t kSignature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};
constexpr std::uint8_t kModeA = 0x41;    // 'A', the only compression mode
constexpr std::size_t kHeaderSize = 14;  // signature, mode, name character, 32-bit length

struct RawHeader {
    std::uint8_t mode;
    std::uint8_t name_char;
    std::uint32_t expanded_length;  // little-endian in the file
};

enum class HeaderRead {
    NoSignature,  // the data does not begin as the signature does
    Truncated,    // it does, but ends inside the header
    Read,
};

inline HeaderRead ReadHeader(const std::uint8_t* data, std::size_t size, RawHeader& raw)
{
    if (size == 0)
        return HeaderRead::NoSignature;
    for (std::size_t i = 0; i < sizeof kSignature && i < size; ++i) {
        if (data[i] != kSignature[i])
            return HeaderRead::NoSignature;
    }
    if (size < kHeaderSize)
        return HeaderRead::Truncated;
    raw.mode = data[8];
    raw.name_char = data[9];
    raw.expanded_length = std::uint32_t(data[10]) | std::uint32_t(data[11]) << 8 | std::uint32_t(data[12]) << 16 |
                          std::uint32_t(data[13]) << 24;
    return HeaderRead::Read;
}

}  // namespace szdd
