// TPDFResource: the base of image, graphic, text and font resources.
#pragma once

#include <cstdint>

namespace vellumark {

// Kinds of placement, taken from the class of the placed resource.
enum TObjKind : uint8_t { okImage = 0, okGraphic = 1, okText = 2 };

class TPDFResource {
public:
    TPDFResource() = default;
    TPDFResource(const TPDFResource&) = default;
    TPDFResource& operator=(const TPDFResource&) = default;
    virtual ~TPDFResource() = default;
};

}  // namespace vellumark
