#include "writer/SaveToFile.h"

#include <cstring>
#include <ctime>
#include <string>

#include "engine/TextCodec.h"
#include "engine/Vellumark.h"
#include "writer/DocumentWriter.h"
#include "writer/OutputBuffer.h"
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
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return ext == u".pdf" ? fileName : fileName + u".pdf";
}

void SaveDocumentToFile(TVellumark& engine, const std::u16string& fileName) {
    const std::string name = Utf16ToUtf8(PDFFileName(fileName));
    if (engine.Pages().Empty()) return;

    // The document goes to the file as it is written.
    TTargetFile file(name);
    TOutputBuffer buffer(file);
    WriteDocument(engine, buffer, std::time(nullptr));
    if (!buffer.Flush()) TTargetFile::CannotWrite(name, std::strerror(buffer.Error()));
    file.Commit();
}

}  // namespace vellumark
