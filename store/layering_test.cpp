// The core's place in the house: nothing portable looks up at the window
// layer. A core file that included app/ or a Windows-only header would
// build here only by luck, and would tie the store to one window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lw {
namespace {

#ifdef LOREWELL_SOURCE_DIR

bool WindowsOnly(const std::filesystem::path& file) {
  const std::string stem = file.stem().string();
  return stem.size() >= 4 && (stem.rfind("_win") == stem.size() - 4 ||
                              stem.find("_win_") != std::string::npos ||
                              stem.rfind("main_win", 0) == 0);
}

// The header a line includes with quotes, or nothing.
std::string QuotedInclude(const std::string& line) {
  const auto start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line.compare(start, 8, "#include") != 0) return {};
  const auto open = line.find('"', start);
  const auto close = open == std::string::npos ? open : line.find('"', open + 1);
  return close == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
}

TEST(Layering, CoreFilesIncludeNothingOfTheWindowLayer) {
  namespace fs = std::filesystem;
  const fs::path root(LOREWELL_SOURCE_DIR);
  int files = 0;
  for (const char* folder : {"base", "store", "cli", "editor", "music", "exec", "online"}) {
    for (const auto& entry : fs::directory_iterator(root / folder)) {
      const fs::path& file = entry.path();
      if (file.extension() != ".cpp" && file.extension() != ".h") continue;
      if (WindowsOnly(file)) continue;
      ++files;
      std::ifstream in(file);
      std::string line;
      for (int number = 1; std::getline(in, line); ++number) {
        const std::string header = QuotedInclude(line);
        const bool up = header.rfind("app/", 0) == 0 ||
                        header.find("_win.h") != std::string::npos || header == "windows.h";
        EXPECT_FALSE(up) << file.lexically_relative(root).string() << ":" << number << " includes "
                         << header;
      }
    }
  }
  EXPECT_GT(files, 40);  // the folders were found
}

#endif

}  // namespace
}  // namespace lw
