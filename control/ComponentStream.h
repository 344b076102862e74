// The control's component stream: the published properties a container keeps
// for it (page size and units of new documents, and the window properties),
// as bytes. No document content is ever part of it.
//
// Layout, little-endian throughout:
//   header   "VMCS", version (u16, 1), length of the records (u32)
//   records  name length (u8, at least 1), name (ASCII), value type (u8),
//            value length (u32), value
// Value types: 1 a 32-bit integer (4 bytes), 2 a 16-bit integer (2 bytes),
// 3 a text (UTF-16 code units, an even number of bytes). A reader skips
// records whose name it does not know, whatever their type; a record of a
// known type with the wrong length, a known name with another type, a name
// given twice, or records that do not fill the declared length exactly make
// the whole stream unreadable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Units.h"

namespace vellumark {

// The window properties a control keeps besides its engine's, with the
// values of a new control. Position and size are in pixels.
struct TWindowProperties {
    int32_t Tag = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 32;
    int32_t Height = 32;
    int16_t Cursor = 0;
    std::u16string Hint;
    int32_t HelpType = 0;  // 0: by context number, 1: by keyword
    std::u16string HelpKeyword;
    int32_t HelpContext = 0;

    bool operator==(const TWindowProperties&) const = default;
};

// The properties of the component stream: the engine's page size and units
// of new documents, and the window properties.
struct TComponentProperties : TWindowProperties {
    int32_t DefaultPageSize = psA4_P;
    int32_t Units = umPoints;

    bool operator==(const TComponentProperties&) const = default;
};

inline constexpr uint16_t kComponentStreamVersion = 1;
inline constexpr size_t kComponentStreamHeaderSize = 10;

// The stream of `properties`: Left, Top, Width and Height always, every other
// property only when it differs from a new control's value. Throws
// std::length_error when a text is too long for the format.
std::vector<uint8_t> EncodeComponentStream(const TComponentProperties& properties);

// The exact number of bytes EncodeComponentStream writes.
uint64_t ComponentStreamSize(const TComponentProperties& properties);

// The whole stream's length (header included) that a header declares, or
// nothing when `header` (at least its first kComponentStreamHeaderSize bytes)
// is not the header of a stream of this version.
std::optional<uint64_t> ComponentStreamLength(std::span<const uint8_t> header);

// The properties in `bytes`, which must be exactly one stream; properties
// without a record keep a new control's values. Nothing when the stream is
// damaged or truncated.
std::optional<TComponentProperties> DecodeComponentStream(std::span<const uint8_t> bytes);

}  // namespace vellumark
