// TGIFImage: GIF files. A load decodes the image into the decoder's bitmap;
// AssignTo hands it over.
//
// Errors raise EInvalidGraphic with the reader's messages.
#pragma once

#include <cstdint>
#include <span>

#include "images/BMPImage.h"

namespace vellumark {

class TGIFImage {
public:
    void LoadFromStream(std::span<const uint8_t> data);
    // Hands the decoded bitmap over; the decoder's own is left empty.
    void AssignTo(TBMPImage& bitmap);

private:
    TBMPImage bitmap_;
};

}  // namespace vellumark
