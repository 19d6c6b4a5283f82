#include <iconv.h>

#include <string>

#include "store/code_page.h"

namespace lw {

namespace {

// iconv's name for a Windows code page.
std::string IconvName(int code_page) {
  switch (code_page) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    default: return "CP" + std::to_string(code_page);
  }
}

std::u16string IconvDecode(int code_page, std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-16LE", IconvName(code_page).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-16LE", "CP1252");
  std::u16string out;
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  std::u16string buffer(bytes.size() + 4, u'\0');
  while (in_left > 0) {
    char* dst = reinterpret_cast<char*>(buffer.data());
    size_t dst_left = buffer.size() * sizeof(char16_t);
    const size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
    out.append(buffer.data(), (buffer.size() * sizeof(char16_t) - dst_left) / sizeof(char16_t));
    if (r == static_cast<size_t>(-1) && in_left > 0) {
      // A byte that is no character here (or a cut sequence): one U+FFFD.
      out.push_back(u'\uFFFD');
      ++in;
      --in_left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

CodePageDecoder PlatformCodePageDecoder() { return IconvDecode; }

}  // namespace lw
