// EInvalidGraphic: raised by the image decoders for data they cannot read,
// with the decoder's own message.
#pragma once

#include <stdexcept>

namespace vellumark {

class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vellumark
