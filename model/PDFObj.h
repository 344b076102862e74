// TPDFObj (one placement of a resource on a page) and TPDFObjList (a page's
// placements, with a count per kind).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/ObjList.h"
#include "model/Resource.h"

namespace vellumark {

struct TPDFObj {
    explicit TPDFObj(TObjKind kind) noexcept : Kind(kind) {}

    double X = 0;           // points from the left edge to the top-left corner
    double Y = 0;           // points from the bottom edge up to the top-left corner
    const TObjKind Kind;    // from the resource's class; fixed, as the page counts it
    double Scale = 100.0;   // percent
    int32_t Resource = 0;   // resource number
    double Angle = 0;       // radians, counterclockwise about (X, Y)
    std::string Link;       // narrow (Windows-1252) URI, image placements only
    bool LinkBorder = false;
};

// The list keeps its counts itself: placements enter only through Insert and
// Append and leave only through Clear, and a placement's kind never changes.
class TPDFObjList : private TObjList<TPDFObj> {
    using Base = TObjList<TPDFObj>;

public:
    using Base::const_iterator;
    using Base::iterator;
    using Base::begin;
    using Base::Count;
    using Base::CursorPosition;
    using Base::Empty;
    using Base::end;
    using Base::Get;

    int32_t Insert(int32_t pos, std::unique_ptr<TPDFObj> obj) {
        const TObjKind kind = obj->Kind;
        const int32_t at = Base::Insert(pos, std::move(obj));
        switch (kind) {
            case okImage: ++imageCount_; break;
            case okGraphic: ++graphicCount_; break;
            default: ++textCount_; break;
        }
        return at;
    }
    int32_t Append(std::unique_ptr<TPDFObj> obj) { return Insert(0, std::move(obj)); }
    void Clear() noexcept {
        Base::Clear();
        imageCount_ = graphicCount_ = textCount_ = 0;
    }

    int32_t ImageCount() const noexcept { return imageCount_; }
    int32_t GraphicCount() const noexcept { return graphicCount_; }
    int32_t TextCount() const noexcept { return textCount_; }

private:
    int32_t imageCount_ = 0;
    int32_t graphicCount_ = 0;
    int32_t textCount_ = 0;
};

}  // namespace vellumark
