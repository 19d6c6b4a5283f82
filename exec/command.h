// Running page text as a program: a selected command line, made ready to
// run, or the block of lines around the caret as a batch script. Portable:
// the window runs what this prepares.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lw {

// The three words a selection may be instead of a command.
enum class MaintenanceWord { kNone, kDuplicate, kHidden, kConvert };

struct PreparedCommand {
  std::u16string line;                    // the command line to run
  MaintenanceWord word = MaintenanceWord::kNone;
  std::optional<std::u16string> page_file;  // the page is saved under this name first
};

// The selection as a command: carriage returns removed, a comment's "//",
// "/*" and "*/" taken off; "±" stands for the page's file name, made from
// the node's `title` (PageFileName) and quoted in the line; the page is
// saved under that name with ".c" appended when the line calls " gcc ",
// ".cpp" for " g++ ".
PreparedCommand PrepareCommand(std::u16string_view selection, std::u16string_view title);

// A file name made from a node's title that stays in its folder: blanks
// become "_", and so do the characters Windows forbids in a name (and
// control characters); trailing dots and blanks go; a device name (CON,
// NUL, COM1, ...) gets "_" before it; an empty result is "page".
std::u16string PageFileName(std::u16string_view title);

// The bytes' text of a batch script for `block` (paragraphs ending in "\r",
// as the control keeps them): every line ends in CR LF, as the command
// processor expects.
std::u16string ScriptText(std::u16string_view block);

}  // namespace lw
