#include "images/AlphaMerge.h"

namespace vellumark {

void MergeAlphaWithColor(TBMPImage&, const TAlpha&, uint32_t) {}

}  // namespace vellumark
