// WriteDocument: the numbering pass and the writing pass that turn the
// engine's model into one PDF 1.2 file in memory.
#pragma once

#include <ctime>
#include <cstdint>
#include <vector>

#include "engine/Vellumark.h"
#include "writer/OutputBuffer.h"

namespace vellumark {

// Builds the complete file in `out`; `created` is the time of the save. Sets
// the model's scratch fields; raises EPDFError on an inconsistency.
void WriteDocument(TVellumark& engine, TOutputBuffer& out, std::time_t created);

}  // namespace vellumark
