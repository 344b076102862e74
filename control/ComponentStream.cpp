// Encoder and decoder of the control's component stream (see ComponentStream.h).
#include "control/ComponentStream.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <tuple>
#include <utility>

#include "base/ByteReader.h"

namespace vellumark {

namespace {

constexpr uint8_t kSignature[4] = {'V', 'M', 'C', 'S'};

enum TValueType : uint8_t { vtInt32 = 1, vtInt16 = 2, vtText = 3 };

// A property of the stream: its record name, where it lives, and whether it
// is written even when it has a new control's value.
template <class T>
struct TField {
    std::string_view name;
    T TComponentProperties::*member;
    bool always;
};

constexpr auto kFields = std::make_tuple(
    TField<int32_t>{"DefaultPageSize", &TComponentProperties::DefaultPageSize, false},
    TField<int32_t>{"Units", &TComponentProperties::Units, false},
    TField<int32_t>{"Tag", &TComponentProperties::Tag, false},
    TField<int32_t>{"Left", &TComponentProperties::Left, true},
    TField<int32_t>{"Top", &TComponentProperties::Top, true},
    TField<int32_t>{"Width", &TComponentProperties::Width, true},
    TField<int32_t>{"Height", &TComponentProperties::Height, true},
    TField<int16_t>{"Cursor", &TComponentProperties::Cursor, false},
    TField<std::u16string>{"Hint", &TComponentProperties::Hint, false},
    TField<int32_t>{"HelpType", &TComponentProperties::HelpType, false},
    TField<std::u16string>{"HelpKeyword", &TComponentProperties::HelpKeyword, false},
    TField<int32_t>{"HelpContext", &TComponentProperties::HelpContext, false});

constexpr size_t kFieldCount = std::tuple_size_v<decltype(kFields)>;
static_assert(kFieldCount <= 32, "the decoder marks the names it has seen in 32 bits");

// Calls f(field, index) for every field in stream order.
template <class F>
void ForEachField(F&& f) {
    std::apply(
        [&](const auto&... field) {
            size_t index = 0;
            (f(field, index++), ...);
        },
        kFields);
}

// The value type and the value's size in bytes of each kind of field.
constexpr uint8_t TypeOf(int32_t) { return vtInt32; }
constexpr uint8_t TypeOf(int16_t) { return vtInt16; }
uint8_t TypeOf(const std::u16string&) { return vtText; }

uint64_t ValueSize(int32_t) { return 4; }
uint64_t ValueSize(int16_t) { return 2; }
uint64_t ValueSize(const std::u16string& text) { return uint64_t{2} * text.size(); }

// The fields that are written, as f(name, value).
template <class F>
void ForEachWritten(const TComponentProperties& p, F&& f) {
    const TComponentProperties defaults;
    ForEachField([&](const auto& field, size_t) {
        const auto& value = p.*field.member;
        if (field.always || value != defaults.*field.member) f(field.name, value);
    });
}

uint64_t RecordsSize(const TComponentProperties& p) {
    uint64_t size = 0;
    ForEachWritten(p, [&](std::string_view name, const auto& value) {
        size += 1 + name.size() + 1 + 4 + ValueSize(value);
    });
    return size;
}

// --- writing ---------------------------------------------------------------

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutValue(std::vector<uint8_t>& out, int32_t v) { PutU32(out, static_cast<uint32_t>(v)); }
void PutValue(std::vector<uint8_t>& out, int16_t v) { PutU16(out, static_cast<uint16_t>(v)); }
void PutValue(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) PutU16(out, c);
}

// --- reading ---------------------------------------------------------------

// A stream that ends inside a record or its header: the reader's short read,
// answered as a refusal of the whole stream.
class EDamagedStream : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

TByteReader StreamReader(std::span<const uint8_t> bytes) {
    return TByteReader(bytes, "Damaged component stream", &Raise<EDamagedStream>);
}

// A value of a known type, read into a field of the same type; false when the
// record's type is another or its length is not the type's.
bool GetValue(uint8_t type, std::span<const uint8_t> value, int32_t& out) {
    if (type != vtInt32 || value.size() != 4) return false;
    out = static_cast<int32_t>(LoadU32LE(value.data()));
    return true;
}

bool GetValue(uint8_t type, std::span<const uint8_t> value, int16_t& out) {
    if (type != vtInt16 || value.size() != 2) return false;
    out = static_cast<int16_t>(LoadU16LE(value.data()));
    return true;
}

bool GetValue(uint8_t type, std::span<const uint8_t> value, std::u16string& out) {
    if (type != vtText || value.size() % 2 != 0) return false;
    std::u16string text(value.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(LoadU16LE(&value[2 * i]));
    out = std::move(text);
    return true;
}

// Whether a value of a type this reader knows has that type's length.
bool WellFormed(uint8_t type, size_t length) {
    switch (type) {
        case vtInt32: return length == 4;
        case vtInt16: return length == 2;
        case vtText: return length % 2 == 0;
        default: return true;  // a later type: skipped as it is
    }
}

}  // namespace

uint64_t ComponentStreamSize(const TComponentProperties& properties) {
    return kComponentStreamHeaderSize + RecordsSize(properties);
}

std::vector<uint8_t> EncodeComponentStream(const TComponentProperties& properties) {
    const uint64_t records = RecordsSize(properties);
    if (records > std::numeric_limits<uint32_t>::max()) throw std::length_error("Component stream too long");
    std::vector<uint8_t> out(std::begin(kSignature), std::end(kSignature));
    out.reserve(static_cast<size_t>(kComponentStreamHeaderSize + records));
    PutU16(out, kComponentStreamVersion);
    PutU32(out, static_cast<uint32_t>(records));
    ForEachWritten(properties, [&](std::string_view name, const auto& value) {
        out.push_back(static_cast<uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(TypeOf(value));
        PutU32(out, static_cast<uint32_t>(ValueSize(value)));
        PutValue(out, value);
    });
    return out;
}

std::optional<uint64_t> ComponentStreamLength(std::span<const uint8_t> header) {
    TByteReader r = StreamReader(header);
    try {
        const std::span<const uint8_t> signature = r.Take(sizeof kSignature);
        if (!std::equal(signature.begin(), signature.end(), kSignature) || r.ReadU16LE() != kComponentStreamVersion)
            return std::nullopt;
        return kComponentStreamHeaderSize + uint64_t{r.ReadU32LE()};
    } catch (const EDamagedStream&) {
        return std::nullopt;
    }
}

std::optional<TComponentProperties> DecodeComponentStream(std::span<const uint8_t> bytes) {
    const std::optional<uint64_t> length = ComponentStreamLength(bytes);
    if (!length || *length != bytes.size()) return std::nullopt;

    TComponentProperties properties;
    uint32_t seen = 0;
    TByteReader r = StreamReader(bytes.subspan(kComponentStreamHeaderSize));
    while (!r.AtEnd()) {
        std::span<const uint8_t> nameBytes, value;
        uint8_t type = 0;
        try {
            nameBytes = r.Take(r.ReadU8());
            type = r.ReadU8();
            value = r.Take(r.ReadU32LE());
        } catch (const EDamagedStream&) {
            return std::nullopt;
        }
        if (nameBytes.empty() || !WellFormed(type, value.size())) return std::nullopt;
        const std::string_view name(reinterpret_cast<const char*>(nameBytes.data()), nameBytes.size());

        bool ok = true;
        ForEachField([&](const auto& field, size_t index) {
            if (name != field.name) return;
            const uint32_t bit = uint32_t{1} << index;
            ok = (seen & bit) == 0 && GetValue(type, value, properties.*field.member);
            seen |= bit;
        });
        if (!ok) return std::nullopt;
    }
    return properties;
}

}  // namespace vellumark
