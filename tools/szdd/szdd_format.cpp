#include "szdd_format.h"

#include <cstring>

namespace szdd {

const char* StatusMessage(Status status) {
    switch (status) {
    case Status::Ok: return "ok";
    case Status::BadSignature: return "not an SZDD file (wrong signature)";
    case Status::TruncatedHeader: return "truncated header (an SZDD header is 14 bytes)";
    case Status::BadMode: return "unsupported compression mode (only mode 'A' exists)";
    case Status::TruncatedData:
        return "compressed data ends before the expanded length is reached";
    case Status::TrailingData:
        return "data left over after the expanded length is reached";
    case Status::ReferencePastEnd:
        return "a back-reference runs past the expanded length";
    case Status::OutputTooSmall: return "output buffer smaller than the expanded length";
    case Status::InputTooLarge: return "input of 4 GiB or more cannot be compressed";
    }
    return "unknown status";
}

Status ParseHeader(const std::uint8_t* data, std::size_t size, Header& header) {
    RawHeader raw;
    switch (ReadHeader(data, size, raw)) {
    case HeaderRead::NoSignature: return Status::BadSignature;
    case HeaderRead::Truncated: return Status::TruncatedHeader;
    case HeaderRead::Read: break;
    }
    header.mode = raw.mode;
    header.name_char = raw.name_char;
    header.expanded_length = raw.expanded_length;
    return header.mode == kModeA ? Status::Ok : Status::BadMode;
}

void WriteHeader(std::uint32_t expanded_length, std::uint8_t out[kHeaderSize]) {
    std::memcpy(out, kSignature, sizeof kSignature);
    out[8] = kModeA;
    out[9] = 0;
    for (int i = 0; i < 4; ++i) out[10 + i] = std::uint8_t(expanded_length >> (8 * i));
}

}  // namespace szdd
