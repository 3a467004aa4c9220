// libFuzzer target: the decoder on arbitrary bytes. It must never read or write out of bounds,
// must agree with the plain ring decoder, and what it accepts must survive a round trip.
#include <cstdlib>
#include <vector>

#include "szdd_codec.h"
#include "szdd_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    const szdd::Status status = szdd::Expand(data, size, out);
    if (status != szdd::Status::Ok) {
        if (!out.empty()) std::abort();
        return 0;
    }
    szdd::Header header;
    if (szdd::ParseHeader(data, size, header) != szdd::Status::Ok) std::abort();
    if (out.size() != header.expanded_length) std::abort();
    if (szdd_reference::RingDecode(data + szdd::kHeaderSize, size - szdd::kHeaderSize,
                                   out.size()) != out)
        std::abort();
    std::vector<std::uint8_t> again, back;
    if (szdd::Compress(out.data(), out.size(), again) != szdd::Status::Ok) std::abort();
    if (again.size() > size) std::abort();  // never larger than a file that holds the same bytes
    if (szdd::Expand(again.data(), again.size(), back) != szdd::Status::Ok || back != out)
        std::abort();
    return 0;
}
