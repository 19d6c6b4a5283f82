#include "store/code_page.h"

namespace lw {

namespace {

std::u16string Latin1(int, std::string_view bytes) {
  std::u16string out;
  for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
  return out;
}

CodePageDecoder g_decoder = nullptr;

}  // namespace

CodePageDecoder PlatformCodePageDecoder();  // code_page_posix.cpp, or none

void SetCodePageDecoder(CodePageDecoder decoder) { g_decoder = decoder; }

std::u16string DecodeCodePage(int code_page, std::string_view bytes) {
  if (!g_decoder) g_decoder = PlatformCodePageDecoder();
  return (g_decoder ? g_decoder : Latin1)(code_page, bytes);
}

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 77: return 10000;   // Mac Roman
    case 128: return 932;    // Shift JIS
    case 129: return 949;    // Hangul
    case 130: return 1361;   // Johab
    case 134: return 936;    // GB 2312
    case 136: return 950;    // Big5
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Eastern European
    case 254: return 437;    // PC 437
    case 255: return 850;    // OEM
    default: return 0;
  }
}

#ifdef _WIN32
// Windows has its converter installed by the window layer.
CodePageDecoder PlatformCodePageDecoder() { return nullptr; }
#endif

}  // namespace lw
