// A temporary folder for one test, removed with everything in it at the end.
// Its name carries non-ASCII letters on purpose, so that every path the code
// under test builds is exercised with them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lw::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path File(const std::string& utf8_name) const;
  // The path of File(name) as UTF-16, as the core's path arguments take it.
  std::u16string File16(const std::string& utf8_name) const;
  // The names in the folder, sorted, in UTF-8: a file left behind shows.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

}  // namespace lw::testing
