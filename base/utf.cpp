#include "base/utf.h"

namespace lw {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes the sequence at `s[i]` into `c`; `len` gets the bytes it takes
// (for a broken sequence, the bytes to skip). False for a broken sequence:
// a stray or missing continuation byte, an overlong form, a surrogate or a
// value past U+10FFFF.
bool DecodeUtf8(std::string_view s, size_t i, char32_t* c, size_t* len) {
  const auto b = static_cast<unsigned char>(s[i]);
  char32_t min;
  if (b < 0x80) {
    *c = b, *len = 1;
    return true;
  }
  if ((b & 0xE0) == 0xC0) {
    *c = b & 0x1F, *len = 2, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    *c = b & 0x0F, *len = 3, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    *c = b & 0x07, *len = 4, min = 0x10000;
  } else {
    *len = 1;
    return false;
  }
  for (size_t k = 1; k < *len; ++k) {
    if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
      *len = k;
      return false;
    }
    *c = (*c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  }
  return *c >= min && *c <= 0x10FFFF && !(*c >= 0xD800 && *c <= 0xDFFF);
}

// Calls `emit` with each code point of `s`; a lone surrogate comes as
// itself, for the caller to replace or show.
template <typename Emit>
void DecodeUtf16(std::u16string_view s, Emit emit) {
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    emit(c);
  }
}

// Characters that must not reach a terminal or a message as they are:
// controls move the cursor or ring the bell, and the direction marks and
// overrides make a name read as something else.
bool ShownEscaped(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
         (c >= 0xD800 && c <= 0xDFFF);
}

// "\\x" and two hex digits, or "\\u" and four.
void AppendEscape(std::string& out, char letter, unsigned value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '\\';
  out += letter;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

void AppendShown(std::string& out, char32_t c) {
  if (!ShownEscaped(c)) {
    AppendUtf8(out, c);
  } else if (c < 0x100) {
    AppendEscape(out, 'x', static_cast<unsigned>(c), 2);
  } else {
    AppendEscape(out, 'u', static_cast<unsigned>(c), 4);
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t c = 0;
    size_t len = 1;
    AppendUtf16(out, DecodeUtf8(s, i, &c, &len) ? c : kReplacement);
    i += len;
  }
  return out;
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    char32_t c = 0;
    size_t len = 1;
    if (!DecodeUtf8(s, i, &c, &len)) return false;
    i += len;
  }
  return true;
}

std::string DisplayText(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  DecodeUtf16(s, [&out](char32_t c) { AppendShown(out, c); });
  return out;
}

std::string DisplayBytes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t c = 0;
    size_t len = 1;
    if (DecodeUtf8(s, i, &c, &len)) {
      AppendShown(out, c);
    } else {
      for (size_t k = 0; k < len; ++k) {
        AppendEscape(out, 'x', static_cast<unsigned char>(s[i + k]), 2);
      }
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  DecodeUtf16(s, [&out](char32_t c) {
    AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
  });
  return out;
}

size_t Utf16Length(const char16_t* s, size_t capacity) {
  size_t n = 0;
  while (n < capacity && s[n] != 0) ++n;
  return n;
}

}  // namespace lw
