// Microsoft LZ ("SZDD") compressed file format, mode A: constants, header and status codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include "header/szdd_header.h"

namespace szdd {

// The dictionary: a ring of 4096 bytes, all spaces at the start, first written at 4080.
constexpr unsigned kRingSize = 4096;
constexpr unsigned kRingMask = kRingSize - 1;
constexpr unsigned kRingStart = kRingSize - 16;
constexpr std::uint8_t kRingFill = 0x20;

// A back-reference copies 3 to 18 bytes; items come in groups of eight behind one flag byte.
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;
constexpr unsigned kGroupItems = 8;

// The length field is 32 bits: 4 GiB or more cannot be stored.
constexpr std::uint64_t kMaxInput = 0xFFFFFFFFull;

enum class Status {
    Ok,
    BadSignature,      // the first bytes are not the SZDD signature
    TruncatedHeader,   // signature present, but the file ends inside the 14-byte header
    BadMode,           // compression mode other than 'A'
    TruncatedData,     // the data ends before the expanded length is reached
    TrailingData,      // bytes remain after the item that completes the expanded length
    ReferencePastEnd,  // a back-reference would run past the expanded length
    OutputTooSmall,    // the caller's buffer cannot hold the expanded length
    InputTooLarge,     // 4 GiB or more to compress
};

// A short English sentence for each status, for error messages.
const char* StatusMessage(Status status);

struct Header {
    std::uint8_t mode = kModeA;
    std::uint8_t name_char = 0;          // last character of a shortened file name; unused
    std::uint32_t expanded_length = 0;
};

// Reads and checks the 14-byte header at the start of a compressed file.
Status ParseHeader(const std::uint8_t* data, std::size_t size, Header& header);

// Writes the 14-byte header for mode A with name character 0.
void WriteHeader(std::uint32_t expanded_length, std::uint8_t out[kHeaderSize]);

}  // namespace szdd
