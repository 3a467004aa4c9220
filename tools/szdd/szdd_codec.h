// SZDD mode A encoder (smallest possible output) and decoder (checked, fast).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "szdd_format.h"

namespace szdd {

// Compresses `size` bytes into a complete SZDD file (header and data) in `out`.
// The output is the smallest file the format allows for this input.
// Returns InputTooLarge for 4 GiB or more; otherwise Ok.
Status Compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

// Expands a complete SZDD file into `out` (resized to the header's length).
// Any deviation from the format is reported; `out` is then left empty.
Status Expand(const std::uint8_t* file, std::size_t size, std::vector<std::uint8_t>& out);

// Expands into a caller's buffer of `capacity` bytes, which must hold the header's length.
// On success `*expanded` (if given) receives that length.
Status ExpandInto(const std::uint8_t* file, std::size_t size, std::uint8_t* out,
                  std::size_t capacity, std::size_t* expanded = nullptr);

}  // namespace szdd
