#include "store/page_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdlib>
#include <map>
#include <vector>

#include "store/code_page.h"

#include "store/file_safety.h"

namespace lw {

namespace {

// Destinations whose content is not page text.
bool SkippedDestination(std::string_view word) {
  // Views, not C strings: every control word of every page is compared.
  static constexpr std::string_view kSkipped[] = {
      "fonttbl",  "colortbl", "stylesheet", "info",     "pict",      "object",  "header",
      "footer",   "headerl",  "headerr",    "headerf",  "footerl",   "footerr", "footerf",
      "listtable", "listoverridetable", "rsidtbl", "generator", "themedata",
      "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "fldinst",
      "filetbl", "revtbl", "pgdsctbl", "mmathPr", "bkmkstart", "bkmkend",
      "xe", "tc", "tcn"};  // index and contents entries are not shown
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
  } kSymbols[] = {{"tab", u'\t'},           {"cell", u'\t'},          {"nestcell", u'\t'},
                  {"emdash", u'\u2014'},
                  {"endash", u'\u2013'},     {"bullet", u'\u2022'},    {"lquote", u'\u2018'},
                  {"rquote", u'\u2019'},     {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}};
  for (const auto& s : kSymbols) {
    if (word == s.word) return s.symbol;
  }
  return 0;
}

struct Group {
  bool skip = false;
  bool hidden = false;      // \v: text the page does not show
  bool font_table = false;  // inside \fonttbl: \fN defines font N
  int uc = 1;               // characters that stand for each \uN
  int font = -1;            // \fN in the text; -1: the default font
};

}  // namespace

namespace {

// Reads the text of an RTF document: groups, control symbols and words,
// \uN with its fallback characters, and bytes of the document's code page.
class RtfTextReader {
 public:
  explicit RtfTextReader(std::string_view rtf) : rtf_(rtf) {}

  std::u16string Read() {
    out_.reserve(rtf_.size());  // the text is never longer than its RTF
    while (k_ < rtf_.size()) {
      const char c = rtf_[k_++];
      if (c == '{') {
        Flush();
        stack_.push_back(stack_.back());
        // "{\*\name ...}": a destination a reader may ignore.
        if (rtf_.substr(k_, 2) == "\\*") stack_.back().skip = true;
      } else if (c == '}') {
        Flush();
        if (stack_.size() > 1) stack_.pop_back();
        pending_fallback_ = 0;
      } else if (c == '\\') {
        Control();
      } else if (c != '\r' && c != '\n') {
        if (static_cast<unsigned char>(c) >= 0x80) Byte(static_cast<unsigned char>(c));
        else if (pending_fallback_ > 0 || !bytes_.empty()) Emit(char16_t(c));
        else PlainRun();
      }
    }
    Flush();
    return std::move(out_);
  }

 private:
  bool Shown() const { return !stack_.back().skip && !stack_.back().hidden; }

  // A byte of the current font's code page; a run of them is decoded at
  // once, as a character of a double-byte code page takes two.
  void Byte(unsigned char b) {
    if (pending_fallback_ > 0) {
      --pending_fallback_;
      return;
    }
    if (Shown()) bytes_.push_back(static_cast<char>(b));
  }

  // The run of plain ASCII text that began one byte back, taken at once:
  // most of a page is such runs between control words.
  void PlainRun() {
    size_t end = k_;
    while (end < rtf_.size() && IsPlain(rtf_[end])) ++end;
    if (Shown()) {
      // Widened in place: appending the char range would build a
      // temporary string for every run.
      const size_t at = out_.size();
      out_.resize(at + end - (k_ - 1));
      for (size_t i = k_ - 1; i < end; ++i) out_[at + i - (k_ - 1)] = static_cast<char16_t>(rtf_[i]);
    }
    k_ = end;
  }
  static bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
  static bool IsPlain(char c) {
    return c != '{' && c != '}' && c != '\\' && c != '\r' && c != '\n' && static_cast<unsigned char>(c) < 0x80;
  }

  void Flush() {
    if (bytes_.empty()) return;
    out_ += DecodeCodePage(CodePage(), bytes_);
    bytes_.clear();
  }

  // The code page of the current font's charset, or the document's.
  int CodePage() const {
    const int font = stack_.back().font >= 0 ? stack_.back().font : default_font_;
    const auto charset = charsets_.find(font);
    const int code_page = charset == charsets_.end() ? 0 : CodePageOfCharset(charset->second);
    return code_page != 0 ? code_page : code_page_;
  }

  void Emit(char16_t c) {
    if (pending_fallback_ > 0) {
      --pending_fallback_;
      return;
    }
    Flush();
    if (Shown()) out_ += c;
  }

  // After a backslash: a control symbol or a control word.
  void Control() {
    if (k_ >= rtf_.size()) return;
    const char s = rtf_[k_];
    if (IsAsciiLetter(s)) {
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
          Byte(static_cast<unsigned char>(std::strtol(hex.c_str(), nullptr, 16)));
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
    while (w < n && IsAsciiLetter(rtf_[w])) ++w;
    const std::string_view word = rtf_.substr(k_, w - k_);
    bool has_param = false;
    long param = 0;
    std::size_t p = w;
    if (p < n && (rtf_[p] == '-' || IsAsciiDigit(rtf_[p]))) {
      const bool negative = rtf_[p] == '-';
      std::size_t q = negative ? p + 1 : p;
      // RTF parameters are 16- or 32-bit; longer digit runs saturate.
      long long value = 0;
      for (; q < n && IsAsciiDigit(rtf_[q]); ++q) value = std::min(value * 10 + (rtf_[q] - '0'), 0x7FFFFFFFLL);
      param = static_cast<long>(negative ? -value : value);
      has_param = true;
      p = q;
    }
    if (p < n && rtf_[p] == ' ') ++p;  // the delimiting space belongs to the word
    k_ = p;
    Flush();
    if (has_param) {
      if (Parameterised(word, param)) return;
    }
    if (SkippedDestination(word)) {
      stack_.back().skip = true;
      if (word == "fonttbl") stack_.back().font_table = true;
    } else if (word == "v") {
      stack_.back().hidden = true;
    } else if (word == "par" || word == "row" || word == "nestrow" || word == "line" ||
               word == "sect" || word == "page") {
      if (Shown()) out_ += u"\r\n";
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
    } else if (word == "f") {
      if (stack_.back().font_table) defining_font_ = static_cast<int>(param);
      else stack_.back().font = static_cast<int>(param);
    } else if (word == "fcharset") {
      if (stack_.back().font_table && defining_font_ >= 0) charsets_[defining_font_] = static_cast<int>(param);
    } else if (word == "deff") {
      default_font_ = static_cast<int>(param);
    } else if (word == "v") {
      stack_.back().hidden = param != 0;
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
  int code_page_ = 1252;      // \ansicpg
  int default_font_ = -1;     // \deff
  int defining_font_ = -1;    // the font table's entry being read
  std::map<int, int> charsets_;  // font number -> \fcharset
  std::string bytes_;         // code-page bytes not yet decoded
  int pending_fallback_ = 0;  // characters still to skip after a \uN
};

}  // namespace

std::u16string DecodeAnsi(std::string_view bytes, int code_page) { return DecodeCodePage(code_page, bytes); }

std::u16string RtfToText(std::string_view rtf) { return RtfTextReader(rtf).Read(); }

bool IsRtfFileName(const std::u16string& path) {
  const std::size_t n = path.size();
  return n >= 4 && (path.compare(n - 4, 4, u".rtf") == 0 || path.compare(n - 4, 4, u".RTF") == 0);
}

std::string TextPageFile(std::string_view utf16le) {
  std::string bytes = "\xFF\xFE";
  bytes.append(utf16le);
  return bytes;
}

std::string PageFileBytes(const std::u16string& path, std::string_view rtf) {
  if (IsRtfFileName(path)) return std::string(rtf);
  const std::u16string text = RtfToText(rtf);
  std::string bytes(2 + text.size() * 2, '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(bytes.data() + 2, text.data(), text.size() * 2);  // already little-endian
#else
  char* out = bytes.data() + 2;
  for (char16_t c : text) {
    *out++ = static_cast<char>(c & 0xFF);
    *out++ = static_cast<char>(c >> 8);
  }
#endif
  return bytes;
}

bool WritePageBytes(const std::u16string& path, std::string_view bytes, const std::u16string& library,
                    std::string* error) {
  return WriteFileReplacing(path, bytes, ReplaceRules{"part", library}, error);
}

bool WritePageFile(const std::u16string& path, std::string_view rtf,
                   const std::u16string& library, std::string* error) {
  return WritePageBytes(path, PageFileBytes(path, rtf), library, error);
}

}  // namespace lw
