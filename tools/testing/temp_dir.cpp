#include "tools/testing/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <system_error>

#include "base/utf.h"

namespace fs = std::filesystem;

namespace lw::testing {

namespace {
std::atomic<unsigned> g_counter{0};

fs::path FromUtf8(const std::string& s) {
  std::u16string w = Utf8ToUtf16(s);
  return fs::path(w);
}
}  // namespace

TempDir::TempDir() {
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "lorewell-țară-" + std::to_string(stamp) + "-" +
                       std::to_string(g_counter.fetch_add(1));
    fs::path p = fs::temp_directory_path() / FromUtf8(name);
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path_)) names.push_back(Utf16ToUtf8(e.path().filename().u16string()));
  std::sort(names.begin(), names.end());
  return names;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path TempDir::File(const std::string& utf8_name) const { return path_ / FromUtf8(utf8_name); }

std::u16string TempDir::File16(const std::string& utf8_name) const {
  return File(utf8_name).u16string();
}

}  // namespace lw::testing
