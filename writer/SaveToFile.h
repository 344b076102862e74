// SaveDocumentToFile: the engine's SaveToFile. Appends ".pdf" unless the name
// ends in it, writes the whole document to a temporary file beside the target
// and renames it over the target only when everything was written, so a
// failed save leaves an existing file untouched and no partial file behind.
#pragma once

#include <string>

namespace vellumark {

class TOutputSink;
class TPDFDocument;

// The file name SaveToFile writes to for `fileName` (".pdf" appended unless
// its extension is ".pdf" in any letter case).
std::u16string PDFFileName(const std::u16string& fileName);

void SaveDocumentToFile(const TPDFDocument& doc, const std::u16string& fileName);

// Writes the whole document to `sink`, the same bytes SaveDocumentToFile
// writes to a file (saves to memory and to streams); a document without pages
// writes nothing. A failed write raises EPDFError "Stream write error. REASON".
void SaveDocumentToSink(TPDFDocument& doc, TOutputSink& sink);

}  // namespace vellumark
