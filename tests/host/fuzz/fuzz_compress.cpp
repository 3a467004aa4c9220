// libFuzzer target: the encoder on arbitrary bytes. Its file must expand to the input, and for
// short inputs it must be exactly as small as the exhaustive search says.
#include <cstdlib>
#include <vector>

#include "szdd_codec.h"
#include "szdd_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file, back;
    if (szdd::Compress(data, size, file) != szdd::Status::Ok) std::abort();
    if (szdd::Expand(file.data(), file.size(), back) != szdd::Status::Ok) std::abort();
    if (back != std::vector<std::uint8_t>(data, data + size)) std::abort();
    if (size <= 40 &&
        file.size() - szdd::kHeaderSize != szdd_reference::BruteForceOptimum(back))
        std::abort();
    return 0;
}
