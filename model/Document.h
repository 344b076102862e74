// TPDFDocument: the document itself, as the writer reads it: the pages, the
// one numbered list of resources shared by images, graphics and texts, the
// added fonts, the information strings and whether content streams are
// compressed. The engine builds it; the writer only reads it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/FontRes.h"
#include "model/ObjList.h"
#include "model/PDFPage.h"
#include "model/Resource.h"

namespace vellumark {

class TPDFDocument {
public:
    TPDFDocument();
    ~TPDFDocument();
    TPDFDocument(const TPDFDocument&) = delete;
    TPDFDocument& operator=(const TPDFDocument&) = delete;

    const TObjList<TPDFPage>& Pages() const noexcept { return *pages_; }
    const TObjList<TPDFResource>& Resources() const noexcept { return *resources_; }
    const TObjList<TPDFFontRes>& Fonts() const noexcept { return *fonts_; }
    // 1-based look-ups; nullptr outside the list. The const ones leave the
    // lists' remembered positions alone (see TObjList).
    const TPDFPage* Page(int32_t page) const { return Pages().Get(page); }
    TPDFPage* Page(int32_t page) { return pages_->Get(page); }
    const TPDFResource* Resource(int32_t resource) const { return Resources().Get(resource); }
    TPDFResource* Resource(int32_t resource) { return resources_->Get(resource); }

    std::u16string Title, Subject, Author, Keywords;
    bool CompressContents = true;
    // Text written in an added font keeps its UTF-16 characters, and the
    // information strings keep theirs (see TTextLine::Wide); off, text is
    // narrowed to Windows-1252.
    bool UnicodeText = false;
    // Embedded fonts hold only the glyphs the document uses.
    bool SubsetFonts = false;
    // Threads that make the page content streams at a save: 0 lets the
    // writer choose (VELLUMARK_THREADS, else one per processor), 1 keeps the
    // save on the calling thread.
    unsigned SaveThreads = 0;

protected:
    // Empties the three lists (pages first, so that no placement outlives
    // the resources it names).
    void ClearLists();

    std::unique_ptr<TObjList<TPDFPage>> pages_;
    std::unique_ptr<TObjList<TPDFResource>> resources_;
    std::unique_ptr<TObjList<TPDFFontRes>> fonts_;
};

}  // namespace vellumark
