// lorewell-cli on POSIX systems.
#include <cstdio>
#include <cstdlib>

#include "base/utf.h"
#include "cli/commands.h"
#include "cli/console.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  for (int k = 1; k < argc; ++k) {
    // A file name in another encoding would come out as a different name,
    // and an export would create that other file.
    if (!lw::IsValidUtf8(argv[k])) {
      std::fprintf(stderr, "lorewell-cli: argument %d is not valid UTF-8: '%s'\n", k,
                   lw::DisplayBytes(argv[k]).c_str());
      return lw::cli::kExitUsage;
    }
    args.push_back(lw::Utf8ToUtf16(argv[k]));
  }
  lw::cli::Io io;
  io.out = [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stdout); };
  io.err = [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stderr); };
  io.env = [](const char* name) -> std::optional<std::u16string> {
    const char* v = std::getenv(name);
    if (!v) return std::nullopt;
    return lw::Utf8ToUtf16(v);
  };
  io.ask_secret = lw::cli::AskSecret;
  return lw::cli::RunCli(args, io);
}
