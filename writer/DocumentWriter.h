// WriteDocument: the numbering pass and the writing pass that turn the
// document model into one PDF 1.2 file in memory.
#pragma once

#include <ctime>
#include <cstdint>
#include <vector>

#include "base/OutputBuffer.h"
#include "model/Document.h"

namespace vellumark {

// Builds the complete file in `out`; `created` is the time of the save. Sets
// the model's scratch fields; raises EPDFError on an inconsistency.
void WriteDocument(TPDFDocument& doc, TOutputBuffer& out, std::time_t created);

}  // namespace vellumark
