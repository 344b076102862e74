#include "decoders/PNGImage.h"

#include <utility>

#include "engine/EPDFError.h"

namespace vellumark {

// The reader is not built yet: the format is refused like an unknown one.
void TqzPNGImage::LoadFromStream(std::span<const uint8_t>) { throw EPDFError("File is not a supported image format"); }

void TqzPNGImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
