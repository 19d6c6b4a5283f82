#include "store/title.h"

namespace lw {

namespace {
constexpr char16_t kReadOnlyMark = u'`';

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
}  // namespace

std::u16string CleanTitle(std::u16string_view typed, std::u16string_view default_title) {
  std::u16string title(typed.substr(0, kMaxTitleLength));
  // Cutting after a high surrogate would store half a character, which every
  // later conversion turns into U+FFFD; drop the whole pair instead.
  if (title.size() == kMaxTitleLength && IsHighSurrogate(title.back())) title.pop_back();
  for (char16_t& c : title) {
    if (c == u'\'' || c == u'"') c = u'_';
  }
  if (!title.empty() && title.back() == u' ') title.pop_back();
  if (title.empty()) title = default_title;
  return title;
}

bool IsReadOnlyTitle(std::u16string_view title) {
  return !title.empty() && title.back() == kReadOnlyMark;
}

std::u16string FavouriteLabel(std::u16string_view title) {
  if (IsReadOnlyTitle(title)) title.remove_suffix(1);
  return std::u16string(title);
}

}  // namespace lw
