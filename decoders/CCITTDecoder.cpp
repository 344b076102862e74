#include "decoders/CCITTDecoder.h"

namespace vellumark::ccitt {

bool Decode(std::span<const uint8_t>, const TDecodeOptions&, std::span<uint8_t>, std::size_t) { return false; }

}  // namespace vellumark::ccitt
