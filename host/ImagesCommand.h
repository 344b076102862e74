// "vellumark images": one PDF page per image file, each page the image's own
// size.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace vellumark::host {

// Runs "images [OPTIONS] -o OUT IMAGE..." (args without the word "images")
// and returns the exit status: 0 done, 1 an input could not be read (nothing
// is written then), 2 bad usage.
int RunImagesCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                     bool progress);

extern const char* const kImagesUsage;

}  // namespace vellumark::host
