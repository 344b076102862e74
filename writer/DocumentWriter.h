// WriteDocument: the numbering pass and the writing pass that turn the
// document model into one PDF 1.2 file in memory.
#pragma once

#include <ctime>
#include <cstdint>
#include <vector>

#include "base/OutputBuffer.h"
#include "model/Document.h"

namespace vellumark {

// Builds the complete file in `out`; `created` is the time of the save. The
// document is only read: the object numbers, the text layouts and every
// other working table of the save are the writer's own. Raises EPDFError
// when the writing pass does not meet an object where the numbering pass
// put it.
void WriteDocument(const TPDFDocument& doc, TOutputBuffer& out, std::time_t created);

}  // namespace vellumark
