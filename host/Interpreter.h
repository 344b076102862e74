// Runs a parsed script: script variables, the Err object and On Error
// handling, WScript.Echo and WScript.Quit, and calls on control objects made
// with CreateObject("VellumarkX.PDFDoc").
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "host/Ast.h"
#include "host/Parser.h"

namespace vellumark::host {

// Exit statuses of a script run.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRuntimeError = 1;
inline constexpr int kExitUsage = 2;  // syntax error, unknown member, bad usage

struct TRunOptions {
    // No side effects: SaveToFile renders the document in memory only, and
    // members and functions that read files (AddImageFile, AddFont,
    // ImageCount, AddImageBMPHandle, AboutBox, ReadBytes) do nothing or fail.
    // Used for fuzzing.
    bool sandbox = false;
    // Statements and loop turns to run at most; 0 for no limit. When the limit
    // is reached the script ends with kExitRuntimeError.
    uint64_t maxSteps = 0;
    // Longest string a script may build, in UTF-16 units.
    std::size_t maxStringLength = std::size_t{1} << 28;
    // Largest file ReadBytes reads (and the file system object opens).
    std::size_t maxFileSize = std::size_t{1} << 30;
    // Report on `err`, as SCRIPT(LINE, COLUMN) warning: MEMBER: TEXT, the
    // calls that the control answered silently (an index that does not
    // exist, a value it ignored, a character that became "?").
    bool warnings = false;
    // The script's arguments, as WScript.Arguments gives them.
    std::vector<std::u16string> arguments;
};

// Runs `program`. `scriptName` names the script in error messages; echoed
// values go to `out`, error messages to `err`. Returns the exit status: 0 at
// the script's end, n for WScript.Quit n, kExitRuntimeError for an error that
// no On Error Resume Next caught.
int RunProgram(const TProgram& program, std::string_view scriptName, std::ostream& out, std::ostream& err,
               const TRunOptions& options = {});

// Parses and runs `source`; a syntax error or an unknown member is reported
// with its position and gives kExitUsage before anything runs.
int RunScript(std::u16string_view source, std::string_view scriptName, std::ostream& out, std::ostream& err,
              const TRunOptions& options = {});

// The same for the bytes of a script file (see DecodeScript), handed over:
// their memory is given back once the script is parsed, before it runs.
int RunScriptBytes(std::string&& bytes, std::string_view scriptName, std::ostream& out, std::ostream& err,
                   const TRunOptions& options = {});

// Reports the error of a script that did not parse (kExitUsage), or runs it.
int RunParsed(const TParseResult& parsed, std::string_view scriptName, std::ostream& out, std::ostream& err,
              const TRunOptions& options = {});

}  // namespace vellumark::host
