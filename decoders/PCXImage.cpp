#include "decoders/PCXImage.h"

#include <utility>

#include "engine/EPDFError.h"

namespace vellumark {

// The reader is not built yet: the format is refused like an unknown one.
void TPCXImage::LoadFromStream(std::span<const uint8_t>) { throw EPDFError("File is not a supported image format"); }

void TPCXImage::AssignTo(TBMPImage& bitmap) { bitmap = std::move(bitmap_); }

}  // namespace vellumark
