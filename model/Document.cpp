#include "model/Document.h"

namespace vellumark {

TPDFDocument::TPDFDocument()
    : pages_(std::make_unique<TObjList<TPDFPage>>()),
      resources_(std::make_unique<TObjList<TPDFResource>>()),
      fonts_(std::make_unique<TObjList<TPDFFontRes>>()) {}

TPDFDocument::~TPDFDocument() {
    pages_.reset();
    resources_.reset();
    fonts_.reset();
}

void TPDFDocument::ClearLists() {
    pages_ = std::make_unique<TObjList<TPDFPage>>();
    resources_ = std::make_unique<TObjList<TPDFResource>>();
    fonts_ = std::make_unique<TObjList<TPDFFontRes>>();
}

}  // namespace vellumark
