// Collects the messages a core component reports, for tests to inspect.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/utf.h"

namespace lw::testing {

class ErrorLog {
 public:
  std::function<void(const std::u16string&)> sink() {
    return [this](const std::u16string& m) { messages_.push_back(Utf16ToUtf8(m)); };
  }
  const std::vector<std::string>& messages() const { return messages_; }
  bool empty() const { return messages_.empty(); }
  // The messages so far, one a line, for failure output.
  std::string text() const {
    std::string all;
    for (const std::string& m : messages_) all += m + "\n";
    return all;
  }
  void clear() { messages_.clear(); }

 private:
  std::vector<std::string> messages_;
};

}  // namespace lw::testing
