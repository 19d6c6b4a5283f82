// lorewell-cli: library maintenance from the command line, on the same core
// as the program. RunCli is the whole tool; main() only supplies the
// console, the environment and the password prompt, so tests run it as is.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


namespace lw::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,    // the command failed; one line on the error stream says why
  kExitUsage = 2,     // unknown command or wrong arguments; usage follows
  kExitProblems = 3,  // check: the library has rows the tree cannot show
};

struct Io {
  std::function<void(std::string_view utf8)> out;
  std::function<void(std::string_view utf8)> err;
  // An environment variable; nothing when it is not set.
  std::function<std::optional<std::u16string>(const char* name)> env;
  // Asks for a password without echo; nothing when there is no terminal.
  std::function<std::optional<std::u16string>(std::string_view prompt)> ask_secret;
};

inline constexpr char kPasswordVariable[] = "LOREWELL_PASSWORD";
inline constexpr char kNewPasswordVariable[] = "LOREWELL_NEW_PASSWORD";

// Runs the command in `args` (the arguments after the program's name).
int RunCli(const std::vector<std::u16string>& args, const Io& io);

// The usage text.
std::string UsageText();

}  // namespace lw::cli
