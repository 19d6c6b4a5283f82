#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/utf.h"
#include "cli/console.h"

namespace lw::cli {

std::optional<std::u16string> AskSecret(std::string_view prompt) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  std::fwrite(prompt.data(), 1, prompt.size(), stderr);
  std::fflush(stderr);
  termios old_mode{};
  const bool restore = tcgetattr(STDIN_FILENO, &old_mode) == 0;
  if (restore) {
    termios quiet = old_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (restore) tcsetattr(STDIN_FILENO, TCSANOW, &old_mode);
  std::fputc('\n', stderr);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Utf8ToUtf16(line);
}

}  // namespace lw::cli
