// TPDFImageRes: an image resource holding its encoded pixel data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/Resource.h"

namespace vellumark {

enum TxCompressFormat : uint8_t { cfNone = 0, cfGroup4 = 1, cfZIP = 2, cfJPEG = 3 };

class TPDFImageRes : public TPDFResource {
public:
    std::string ImageStream;    // the XObject's stream data, encoded per Compression
    std::string PaletteStream;  // RGB triples, zlib-compressed with cfZIP
    bool Indexed = false;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t XResolution = 0;  // dots per inch
    uint32_t YResolution = 0;
    TxCompressFormat Compression = cfNone;
    uint8_t BitsPerComponent = 0;
    uint16_t PaletteSize = 0;
    bool GrayJPEG = false;
    // A JPEG passed through: its colour components (1, 3 or 4) and whether
    // it carries inverted CMYK (an Adobe marker), as most writers store it.
    uint8_t JPEGComponents = 3;
    bool JPEGInverted = false;
    // Group 4 data passed through from a BlackIsZero TIFF page: its coded
    // black runs are the image's white, declared with /BlackIs1 true.
    bool G4BlackIs1 = false;
    // The source's transparency (an alpha channel, a transparent colour or
    // palette index) was not merged: the image shows the stored colours.
    bool TransparencyDropped = false;
    // Flate data whose rows carry PNG filter bytes (a PNG's image data kept
    // as it is): the colour components of a pixel, 1 or 3, for the
    // predictor's parameters; 0 for plain rows.
    uint8_t PredictorColors = 0;
    // Stream data left in a buffer shared with other images (the pages of
    // one TIFF file, read once): when set, the stream is SharedSize bytes of
    // it from SharedOffset, and ImageStream is empty.
    std::shared_ptr<const std::string> SharedData;
    std::size_t SharedOffset = 0;
    std::size_t SharedSize = 0;

    // The stream's bytes, wherever they are kept.
    std::string_view StreamBytes() const noexcept {
        if (SharedData) return std::string_view(*SharedData).substr(SharedOffset, SharedSize);
        return ImageStream;
    }
};

}  // namespace vellumark
