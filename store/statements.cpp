#include "store/statements.h"

#include "base/utf.h"

namespace lw {

std::u16string FormatSql16(std::string_view pattern, std::initializer_list<SqlArg> args) {
  std::u16string out;
  out.reserve(pattern.size() + 64);
  auto next = args.begin();
  for (size_t k = 0; k < pattern.size(); ++k) {
    const char c = pattern[k];
    if (c != '%') {
      // The patterns are ASCII; widen byte by byte.
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
      continue;
    }
    if (++k == pattern.size()) return {};
    const char code = pattern[k];
    if (code == '%') {
      out.push_back(u'%');
    } else if (code == 'i') {
      if (next == args.end()) return {};
      for (char d : std::to_string(*next)) out.push_back(static_cast<char16_t>(d));
      ++next;
    } else {
      return {};
    }
  }
  if (next != args.end()) return {};
  return out;
}

std::string FormatSql8(std::string_view pattern, std::initializer_list<SqlArg> args) {
  return Utf16ToUtf8(FormatSql16(pattern, args));
}

}  // namespace lw
