// TDiagnostics: notes the engine keeps about calls it answered silently (a
// page that does not exist, a value it ignored, a character that became
// "?"). The interface's behaviour does not depend on them: a host that wants
// them turns listening on and takes the notes after each call, so that it can
// say where in its own input the call came from. With no one listening a note
// costs one test of a flag; its text is made only when someone listens.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vellumark {

enum TDiagnosticCode : uint8_t {
    dcNoSuchPage,          // a page number outside 1..page count
    dcNoSuchPlacement,     // a placement index the page does not have
    dcNoSuchResource,      // a resource number outside 1..resource count, or of the wrong kind
    dcNoCurrentGraphic,    // CurrentGraphic names no graphic resource
    dcNoCurrentText,       // CurrentText names no text resource
    dcNoSuchFont,          // a font number that names no font, or not one the call takes
    dcFontNotLoaded,       // AddFont answered 0
    dcCharacterReplaced,   // a character the code page cannot hold became "?"
    dcStandardFont,        // what needs an added font was asked of a standard font
    dcValueIgnored,        // a value the setting refuses; the old value stays
    dcNothingSaved,        // SaveToFile on a document without pages
    dcNothingAdded,        // an add that answered 0 and added nothing
    dcCharacterNotInFont,  // a character the font has no glyph for
    dcTransparencyDropped, // an image's transparency not merged (MergeAlpha off)
};

struct TEngineDiagnostic {
    TDiagnosticCode Code;
    std::string Message;
};

class TDiagnostics {
public:
    bool Listening() const noexcept { return listening_; }
    void Listen(bool on) noexcept {
        listening_ = on;
        if (!on) notes_.clear();
    }

    // Appends a note whose text is `parts` written one after the other; does
    // nothing when no one listens. A note equal to the one before it (one
    // call meeting the same thing twice) is kept once. Never raises: a note
    // that cannot be made is dropped.
    template <class... Parts>
    void Add(TDiagnosticCode code, const Parts&... parts) noexcept {
        if (!listening_) return;
        try {
            std::ostringstream text;
            (text << ... << parts);
            std::string message = std::move(text).str();
            if (!notes_.empty() && notes_.back().Code == code && notes_.back().Message == message) return;
            notes_.push_back({code, std::move(message)});
        } catch (...) {}
    }

    // Hands out the notes made since the last call and forgets them.
    std::vector<TEngineDiagnostic> Take() noexcept { return std::exchange(notes_, {}); }

private:
    bool listening_ = false;
    std::vector<TEngineDiagnostic> notes_;
};

}  // namespace vellumark
