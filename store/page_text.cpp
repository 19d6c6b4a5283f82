#include "store/page_text.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "store/file_safety.h"

namespace lw {

namespace {

// Bytes 0x80..0xFF of the two code pages pages are written in.
constexpr char16_t kCp1250[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160,
    0x2039, 0x015A, 0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0,
    0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6,
    0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1,
    0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A,
    0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2,
    0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED,
    0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159,
    0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};
// 0x80..0x9F; from 0xA0 on code page 1252 is Latin-1.
constexpr char16_t kCp1252[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t FromCodePage(unsigned char byte, int code_page) {
  if (byte < 0x80) return byte;
  if (code_page == 1250) return kCp1250[byte - 0x80];
  return byte < 0xA0 ? kCp1252[byte - 0x80] : char16_t(byte);
}

// Destinations whose content is not page text.
bool SkippedDestination(std::string_view word) {
  // Views, not C strings: every control word of every page is compared.
  static constexpr std::string_view kSkipped[] = {
      "fonttbl",  "colortbl", "stylesheet", "info",     "pict",      "object",  "header",
      "footer",   "headerl",  "headerr",    "headerf",  "footerl",   "footerr", "footerf",
      "listtable", "listoverridetable", "rsidtbl", "generator", "themedata",
      "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "fldinst",
      "filetbl", "revtbl", "pgdsctbl", "mmathPr", "bkmkstart", "bkmkend"};
  for (std::string_view s : kSkipped) {
    if (word == s) return true;
  }
  return false;
}

// The character a symbol control word stands for, or 0 for any other word.
char16_t SymbolOf(std::string_view word) {
  static constexpr struct {
    std::string_view word;
    char16_t symbol;
  } kSymbols[] = {{"tab", u'\t'},           {"cell", u'\t'},          {"emdash", u'\u2014'},
                  {"endash", u'\u2013'},     {"bullet", u'\u2022'},    {"lquote", u'\u2018'},
                  {"rquote", u'\u2019'},     {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}};
  for (const auto& s : kSymbols) {
    if (word == s.word) return s.symbol;
  }
  return 0;
}

struct Group {
  bool skip = false;
  int uc = 1;  // characters that stand for each \uN
};

}  // namespace

namespace {

// Reads the text of an RTF document: groups, control symbols and words,
// \uN with its fallback characters, and bytes of the document's code page.
class RtfTextReader {
 public:
  explicit RtfTextReader(std::string_view rtf) : rtf_(rtf) {}

  std::u16string Read() {
    while (k_ < rtf_.size()) {
      const char c = rtf_[k_++];
      if (c == '{') {
        stack_.push_back(stack_.back());
        // "{\*\name ...}": a destination a reader may ignore.
        if (rtf_.substr(k_, 2) == "\\*") stack_.back().skip = true;
      } else if (c == '}') {
        if (stack_.size() > 1) stack_.pop_back();
        pending_fallback_ = 0;
      } else if (c == '\\') {
        Control();
      } else if (c != '\r' && c != '\n') {
        Emit(static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : Byte(static_cast<unsigned char>(c)));
      }
    }
    return std::move(out_);
  }

 private:
  char16_t Byte(unsigned char b) const { return FromCodePage(b, code_page_); }

  void Emit(char16_t c) {
    if (pending_fallback_ > 0) {
      --pending_fallback_;
      return;
    }
    if (!stack_.back().skip) out_ += c;
  }

  // After a backslash: a control symbol or a control word.
  void Control() {
    if (k_ >= rtf_.size()) return;
    const char s = rtf_[k_];
    if (std::isalpha(static_cast<unsigned char>(s))) {
      Word();
      return;
    }
    ++k_;
    switch (s) {
      case '\\': case '{': case '}': Emit(char16_t(s)); break;
      case '~': Emit(u'\u00A0'); break;
      case '_': Emit(u'\u2011'); break;
      case '\'':
        if (k_ + 2 <= rtf_.size()) {
          const std::string hex(rtf_.substr(k_, 2));
          k_ += 2;
          Emit(Byte(static_cast<unsigned char>(std::strtol(hex.c_str(), nullptr, 16))));
        }
        break;
      case '\r': case '\n': Emit(u'\r'); Emit(u'\n'); break;  // same as \par
      default: break;  // \- \| \: and the like: nothing
    }
  }

  // A control word with its optional numeric parameter.
  void Word() {
    const std::size_t n = rtf_.size();
    std::size_t w = k_;
    while (w < n && std::isalpha(static_cast<unsigned char>(rtf_[w]))) ++w;
    const std::string_view word = rtf_.substr(k_, w - k_);
    bool has_param = false;
    long param = 0;
    std::size_t p = w;
    if (p < n && (rtf_[p] == '-' || std::isdigit(static_cast<unsigned char>(rtf_[p])))) {
      std::size_t q = p + 1;
      while (q < n && std::isdigit(static_cast<unsigned char>(rtf_[q]))) ++q;
      param = std::strtol(std::string(rtf_.substr(p, q - p)).c_str(), nullptr, 10);
      has_param = true;
      p = q;
    }
    if (p < n && rtf_[p] == ' ') ++p;  // the delimiting space belongs to the word
    k_ = p;
    if (has_param) {
      if (Parameterised(word, param)) return;
    }
    if (SkippedDestination(word)) {
      stack_.back().skip = true;
    } else if (word == "par" || word == "row" || word == "line" || word == "sect" ||
               word == "page") {
      if (!stack_.back().skip) out_ += u"\r\n";
    } else if (const char16_t symbol = SymbolOf(word)) {
      Emit(symbol);
    }
    // A control word ends the fallback of a \uN only by being one of its
    // characters (\'hh above); others are formatting and skipped.
  }

  // The words whose parameter matters; true when `word` was one of them.
  bool Parameterised(std::string_view word, long param) {
    if (word == "bin") {
      k_ += static_cast<std::size_t>(param > 0 ? param : 0);
    } else if (word == "ansicpg") {
      code_page_ = static_cast<int>(param);
    } else if (word == "uc") {
      stack_.back().uc = static_cast<int>(param);
    } else if (word == "u") {
      Emit(static_cast<char16_t>(param < 0 ? param + 65536 : param));
      pending_fallback_ = stack_.back().uc;
    } else {
      return false;
    }
    return true;
  }

  std::string_view rtf_;
  std::size_t k_ = 0;
  std::u16string out_;
  std::vector<Group> stack_{Group{}};
  int code_page_ = 1252;
  int pending_fallback_ = 0;  // characters still to skip after a \uN
};

}  // namespace

std::u16string DecodeAnsi(std::string_view bytes, int code_page) {
  std::u16string text;
  text.reserve(bytes.size());
  for (char c : bytes) text.push_back(FromCodePage(static_cast<unsigned char>(c), code_page));
  return text;
}

std::u16string RtfToText(std::string_view rtf) { return RtfTextReader(rtf).Read(); }

std::string PageFileBytes(const std::u16string& path, std::string_view rtf) {
  const std::size_t n = path.size();
  if (n >= 4 && (path.compare(n - 4, 4, u".rtf") == 0 || path.compare(n - 4, 4, u".RTF") == 0)) {
    return std::string(rtf);
  }
  const std::u16string text = RtfToText(rtf);
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

bool WritePageFile(const std::u16string& path, std::string_view rtf,
                   const std::u16string& library, std::string* error) {
  return WriteFileReplacing(path, PageFileBytes(path, rtf), ReplaceRules{"part", library}, error);
}

}  // namespace lw
