#include "writer/TargetFile.h"

#include "base/EPDFError.h"

namespace vellumark {

void TTargetFile::CannotCreate(const std::string& name, const std::string& reason) {
    throw EFCreateError("Cannot create file \"" + name + "\". " + reason);
}

void TTargetFile::CannotWrite(const std::string& name, const std::string& reason) {
    throw EFCreateError("Cannot write file \"" + name + "\". " + reason);
}

}  // namespace vellumark
