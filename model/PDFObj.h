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
    double X = 0;           // points from the left edge to the top-left corner
    double Y = 0;           // points from the bottom edge up to the top-left corner
    uint8_t Kind = okText;  // TObjKind
    double Scale = 100.0;   // percent
    int32_t Resource = 0;   // resource number
    double Angle = 0;       // radians, counterclockwise about (X, Y)
    std::string Link;       // narrow (Windows-1252) URI, image placements only
    bool LinkBorder = false;
};

class TPDFObjList : public TObjList<TPDFObj> {
public:
    int32_t Insert(int32_t pos, std::unique_ptr<TPDFObj> obj) {
        switch (obj->Kind) {
            case okImage: ++ImageCount; break;
            case okGraphic: ++GraphicCount; break;
            default: ++TextCount; break;
        }
        return TObjList<TPDFObj>::Insert(pos, std::move(obj));
    }
    int32_t Append(std::unique_ptr<TPDFObj> obj) { return Insert(0, std::move(obj)); }

    int32_t ImageCount = 0;
    int32_t GraphicCount = 0;
    int32_t TextCount = 0;
};

}  // namespace vellumark
