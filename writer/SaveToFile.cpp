#include "writer/SaveToFile.h"

#include <cstring>
#include <ctime>
#include <string>

#include "base/EPDFError.h"
#include "base/NoCase.h"
#include "base/OutputBuffer.h"
#include "base/TextCodec.h"
#include "model/Document.h"
#include "writer/DocumentWriter.h"
#include "writer/TargetFile.h"

namespace vellumark {

namespace {

bool IsSeparator(char16_t c) {
#ifdef _WIN32
    return c == u'/' || c == u'\\' || c == u':';
#else
    return c == u'/';
#endif
}

}  // namespace

std::u16string PDFFileName(const std::u16string& fileName) {
    std::u16string ext;
    for (std::size_t i = fileName.size(); i-- > 0;) {
        if (IsSeparator(fileName[i])) break;
        if (fileName[i] == u'.') {
            ext = fileName.substr(i);
            break;
        }
    }
    return EqualsNoCase(ext, std::u16string_view(u".pdf")) ? fileName : fileName + u".pdf";
}

void SaveDocumentToFile(const TPDFDocument& doc, const std::u16string& fileName) {
    const std::string name = Utf16ToUtf8(PDFFileName(fileName));
    if (doc.Pages().Empty()) return;

    // The document goes to the file as it is written.
    TTargetFile file(name);
    TOutputBuffer buffer(file);
    WriteDocument(doc, buffer, std::time(nullptr));
    if (!buffer.Flush()) TTargetFile::CannotWrite(name, std::strerror(buffer.Error()));
    file.Commit();
}

void SaveDocumentToSink(TPDFDocument& doc, TOutputSink& sink) {
    if (doc.Pages().Empty()) return;
    TOutputBuffer buffer(sink);
    WriteDocument(doc, buffer, std::time(nullptr));
    if (!buffer.Flush()) throw EPDFError(std::string("Stream write error. ") + std::strerror(buffer.Error()));
}

}  // namespace vellumark
