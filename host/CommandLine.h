// The vellumark program's command line: "vellumark run SCRIPT", --help and
// --version.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace vellumark::host {

// Runs the command given by `args` (the arguments after the program name)
// and returns the exit status. `in` is read for "run -".
int RunCommandLine(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace vellumark::host
