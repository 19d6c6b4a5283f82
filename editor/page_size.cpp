#include "editor/page_size.h"

#include <algorithm>

namespace lw {

void PageSizeGuard::Measured(std::int64_t rtf_bytes, std::int64_t chars, int objects) {
  rtf_bytes_ = rtf_bytes;
  chars_ = chars;
  objects_ = objects;
}

bool PageSizeGuard::NeedsMeasure(std::int64_t chars, int objects) const {
  if (objects != objects_) return true;
  const std::int64_t grown = std::max<std::int64_t>(0, chars - chars_);
  // Deleting text may still add tables (a format applied), hence the room.
  return rtf_bytes_ + grown * kBytesPerChar + kTableRoom >= limit_;
}

std::pair<int, int> NextZoom(int numerator, int denominator, bool up) {
  if (numerator <= 0 || denominator <= 0) numerator = denominator = 100;
  const int n = up ? numerator + 3 : numerator - 3;
  const int d = up ? denominator - 3 : denominator + 3;
  // n/d within [1/64, 64] without overflow: the terms stay small.
  if (n <= 0 || d <= 0 || n > 64 * d || d > 64 * n) return {numerator, denominator};
  return {n, d};
}

namespace {

bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (follow < 0 || c == 0xC0 || c == 0xC1 || c > 0xF4) return false;
    if (i + static_cast<size_t>(follow) >= s.size() && follow > 0) return false;
    for (int k = 1; k <= follow; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0xC0) != 0x80) return false;
    i += static_cast<size_t>(follow) + 1;
  }
  return true;
}

}  // namespace

int RtfGroupDepth(std::string_view rtf) {
  int depth = 0, deepest = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if (c == '}') {
      depth = std::max(0, depth - 1);
    } else if (c == '\\' && i + 1 < rtf.size()) {
      if (rtf.compare(i + 1, 3, "bin") != 0) {
        ++i;  // an escaped character: \{ \} \\ and the first letter of a word
        continue;
      }
      // \binN: N raw bytes follow the word and its delimiter.
      size_t j = i + 4;
      long long n = 0;
      while (j < rtf.size() && rtf[j] >= '0' && rtf[j] <= '9' && n < (1LL << 40)) n = n * 10 + (rtf[j++] - '0');
      if (j < rtf.size() && rtf[j] == ' ') ++j;
      i = n >= static_cast<long long>(rtf.size() - j) ? rtf.size() : j + static_cast<size_t>(n) - 1;
    }
  }
  return deepest;
}

PageBytes KindOfPageBytes(std::string_view bytes) {
  if (bytes.substr(0, 5) == "{\\rtf")
    return RtfGroupDepth(bytes) > kMaxRtfDepth ? PageBytes::kDeepRtf : PageBytes::kRtf;
  return IsUtf8(bytes) ? PageBytes::kUtf8 : PageBytes::kAnsi;
}

bool UsesMusicFont(std::string_view rtf) {
  constexpr std::string_view kName = "cantoria";
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(rtf.begin(), rtf.end(), kName.begin(), kName.end(),
                     [&](char a, char b) { return lower(a) == b; }) != rtf.end();
}

}  // namespace lw
