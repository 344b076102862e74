// libFuzzer target: arbitrary bytes as the control's component stream. A
// stream that is read must write back to one that reads as the same
// properties, of the size announced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "control/ComponentStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::optional<uint64_t> length = vellumark::ComponentStreamLength(bytes);
    const std::optional<vellumark::TComponentProperties> properties = vellumark::DecodeComponentStream(bytes);
    if (!properties) return 0;
    if (!length || *length != size) std::abort();
    const std::vector<uint8_t> again = vellumark::EncodeComponentStream(*properties);
    if (again.size() != vellumark::ComponentStreamSize(*properties)) std::abort();
    if (vellumark::DecodeComponentStream(again) != properties) std::abort();
    return 0;
}
