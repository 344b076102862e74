// Reading image data with one of the image readers, for the readers' tests.
#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <string>

#include "base/InvalidGraphic.h"
#include "decoders/BMPImage.h"

namespace vellumark::test {

// The bitmap `TReader` makes of the data (its exceptions pass); `reader`,
// when given, is the reader used, so that a test can look at it afterwards.
template <class TReader>
TBMPImage ReadWith(std::span<const uint8_t> data, TReader* reader = nullptr) {
    TReader local;
    TReader& r = reader != nullptr ? *reader : local;
    r.LoadFromStream(data);
    TBMPImage bitmap;
    r.AssignTo(bitmap);
    return bitmap;
}

// The message of the reader's refusal, which must be a TRefusal; "accepted"
// when it reads the data.
template <class TReader, class TRefusal = EInvalidGraphic>
std::string RefusalOf(std::span<const uint8_t> data) {
    try {
        ReadWith<TReader>(data);
    } catch (const TRefusal& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("not the reader's exception: ") + e.what();
    }
    return "accepted";
}

}  // namespace vellumark::test
