// libFuzzer target: the decoder on arbitrary bytes. It must never read or write out of bounds,
// must agree with the plain ring decoder, and what it accepts must survive a round trip.
// The bytes are also tried as the data part behind a header whose length is whatever the ring
// decoder makes of them, so that long valid streams reach the decoder's unchecked path.
#include <cstdlib>
#include <vector>

#include "szdd_codec.h"
#include "szdd_reference.h"

namespace {

void CheckAsData(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> expected = szdd_reference::RingDecode(data, size, ~std::size_t(0));
    std::vector<std::uint8_t> file(szdd::kHeaderSize), out;
    szdd::WriteHeader(std::uint32_t(expected.size()), file.data());
    file.insert(file.end(), data, data + size);
    const szdd::Status status = szdd::Expand(file.data(), file.size(), out);
    // Only a cut-off last item (a flag byte alone, half a reference) may be left over.
    if (status == szdd::Status::Ok ? out != expected : status != szdd::Status::TrailingData)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckAsData(data, size);
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
