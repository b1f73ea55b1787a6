#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quill {

// The text after the program name: a leading quoted name up to its closing quote, then
// everything up to the first space, are skipped, and so are the spaces after it.
[[nodiscard]] std::string_view SkipProgramName(std::string_view commandLine);

// Linux has argv, not one string: rebuilds the text, program name included, so that the same
// parser serves both. Arguments containing a space are quoted; arguments that already contain a
// double quote are taken as written (the parser's own quoting); empty arguments are left out.
[[nodiscard]] std::string CommandLineFromArgs(int argc, const char* const* argv);

// Splits the text into parameters and calls handle(name, value) for each, in order. A double
// quote toggles quoting and a closing quote ends the parameter; a space outside quotes ends it;
// the first '=' switches from the name to the value; the end of the text ends the last one.
// Empty parameters (repeated spaces, "") are not passed on.
void ParseCommandLineString(std::string_view text,
                            const std::function<void(const std::string&, const std::string&)>& handle);

// A parameter's value as an integer, read as atoi does (leading blanks, a sign, digits; anything
// else ends the number; no digits give 0), clamped to the int range.
[[nodiscard]] int CommandLineInteger(std::string_view value);

// The numbers n of the existing files <prefix><n>.dmo in the folder, ascending. Only plain
// decimal numbers count (no sign, no leading zeros), below kMaxDemoNumber.
[[nodiscard]] std::vector<int> FindNumberedDemos(const std::filesystem::path& folder,
                                                 std::string_view prefix);

// Numbered demos stop here, so the next number never overflows.
inline constexpr int kMaxDemoNumber = 1000000000;

// "-recnum": n := the value as an integer (5 when below 1). Keeps at most n numbered demos
// in the folder: while n or more exist, the lowest-numbered is deleted. Returns the file name to
// record into: <prefix><highest existing number + 1>.dmo (<prefix>1.dmo when there is none).
[[nodiscard]] std::string PrepareNumberedRecording(const std::filesystem::path& folder,
                                                   std::string_view prefix, std::string_view value);

// "-playnum": n := the value as an integer (below 1 counts as 1, so 1 is the newest). Returns the
// file name to play: <prefix><highest existing number - (n - 1)>.dmo. With too few demos the
// name is of a file that does not exist, and playback reports it as not found.
[[nodiscard]] std::string NumberedPlaybackName(const std::filesystem::path& folder, std::string_view prefix,
                                               std::string_view value);

} // namespace Quill
