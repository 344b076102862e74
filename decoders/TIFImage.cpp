#include "decoders/TIFImage.h"

#include "engine/EPDFError.h"

namespace vellumark {

// The reader is not built yet: the format is refused like an unknown one.
void TTIFImage::LoadFromStream(std::span<const uint8_t>) { throw EPDFError("File is not a supported image format"); }

void TTIFImage::AssignTo(TBMPImage&) const { throw EPDFError("File is not a supported image format"); }

}  // namespace vellumark
