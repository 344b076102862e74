// TTargetFile: the file a save writes. The bytes go to a new temporary file
// in the target's folder, which Commit renames over the target once
// everything was written; until then an existing target is untouched, and a
// target file that is never committed leaves nothing behind. An existing
// target keeps its permissions; a symbolic link is written through.
//
// Failures raise EFCreateError: "Cannot create file "NAME". REASON" when the
// temporary file cannot be made or renamed, "Cannot write file "NAME".
// REASON" when writing or closing it fails.
#pragma once

#include <memory>
#include <string>

#include "base/OutputSink.h"

namespace vellumark {

class TTargetFile : public TOutputSink {
public:
    // `name`: the target, UTF-8.
    explicit TTargetFile(const std::string& name);
    ~TTargetFile() override;
    TTargetFile(const TTargetFile&) = delete;
    TTargetFile& operator=(const TTargetFile&) = delete;

    int Write(const char* data, std::size_t size) override;
    int WriteGather(std::span<const TOutputPiece> pieces) override;
    // Closes the temporary file and renames it over the target.
    void Commit();

    // The messages of a failed save.
    [[noreturn]] static void CannotCreate(const std::string& name, const std::string& reason);
    [[noreturn]] static void CannotWrite(const std::string& name, const std::string& reason);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace vellumark
