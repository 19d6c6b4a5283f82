#include "editor/find.h"

#include <sqlite3.h>

#include <algorithm>

#include "base/case_fold.h"
#include "base/utf.h"
#include "store/page_text.h"

namespace lw {

namespace {

bool IsWordUnit(char16_t c) {
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
  // Latin-1 signs and spaces, general punctuation, CJK punctuation.
  if (c <= 0xBF || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F)) return false;
  return c != 0xD7 && c != 0xF7 && c != 0xFEFF;
}

std::u16string Folded(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = LowerCase(c);
  return out;
}

bool WholeWordAt(std::u16string_view text, size_t at, size_t length) {
  const size_t end = at + length;
  return (at == 0 || !IsWordUnit(text[at - 1])) && (end == text.size() || !IsWordUnit(text[end]));
}

// The search on text and pattern already folded when case does not matter.
std::optional<size_t> Search(std::u16string_view text, std::u16string_view what, bool whole_word, size_t from,
                             bool down) {
  if (what.empty() || what.size() > text.size()) return std::nullopt;
  if (down) {
    for (size_t at = text.find(what, from); at != std::u16string_view::npos; at = text.find(what, at + 1))
      if (!whole_word || WholeWordAt(text, at, what.size())) return at;
    return std::nullopt;
  }
  if (from < what.size()) return std::nullopt;
  for (size_t at = text.rfind(what, from - what.size()); at != std::u16string_view::npos;
       at = at == 0 ? std::u16string_view::npos : text.rfind(what, at - 1))
    if (!whole_word || WholeWordAt(text, at, what.size())) return at;
  return std::nullopt;
}

// A cheap look at a page's stored bytes that rules it out exactly: when the
// text sought is made of ASCII letters and digits (and other signs), and
// the bytes hold no escape that could stand for one (\'hh, \uN), every
// letter and digit the page shows is a byte of its own, so a page whose
// bytes lack one of the sought letters in either case cannot hold the text.
class Prefilter {
 public:
  explicit Prefilter(std::u16string_view what) {
    for (char16_t c : what) {
      if (c >= 0x80) return;  // a letter an escape may carry: no shortcut
      if (c < 0x80 && IsWordUnit(c)) needed_.push_back(static_cast<char>(LowerCase(c)));
    }
    usable_ = !needed_.empty();
  }
  // True when the page cannot hold the text.
  bool RulesOut(std::string_view bytes) const {
    if (!usable_) return false;
    bool seen[128] = {};
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto c = static_cast<unsigned char>(bytes[i]);
      if (c == '\\' && i + 1 < bytes.size()) {
        const char next = bytes[i + 1];
        if (next == '\'') return false;
        if (next == 'u' && i + 2 < bytes.size() &&
            (bytes[i + 2] == '-' || (bytes[i + 2] >= '0' && bytes[i + 2] <= '9')))
          return false;
      }
      if (c < 128) seen[c >= 'A' && c <= 'Z' ? c + 32 : c] = true;
    }
    for (char c : needed_)
      if (!seen[static_cast<unsigned char>(c)]) return true;
    return false;
  }

 private:
  std::string needed_;
  bool usable_ = false;
};

}  // namespace

std::optional<size_t> FindInText(std::u16string_view text, std::u16string_view what, FindFlags flags,
                                 size_t from, bool down) {
  if (flags.match_case) return Search(text, what, flags.whole_word, from, down);
  return Search(Folded(text), Folded(what), flags.whole_word, from, down);
}

std::u16string PageShownText(std::string_view stored) {
  // RTF of any depth is read here; only the control needs the depth.
  if (stored.substr(0, 5) == "{\\rtf") return RtfToText(stored);
  return IsValidUtf8(stored) ? Utf8ToUtf16(stored) : DecodeAnsi(stored, 1252);
}

PageScan ScanPages(Db& db, std::u16string_view what, FindFlags flags, const std::function<bool()>& stop,
                   const std::function<void(int percent)>& progress) {
  PageScan scan;
  if (what.empty()) return scan;
  const std::u16string pattern = flags.match_case ? std::u16string(what) : Folded(what);
  const Prefilter prefilter(what);
  MappedReading mapped(db);
  // The largest rowid stands for the number of rows: counting them would
  // read the whole table once more.
  int rows = 0;
  if (progress) {
    Statement last = db.Prepare(u"SELECT max(rowid) FROM tab");
    if (last.Step()) rows = last.ColumnInt(0);
  }
  Statement st = db.Prepare(u"SELECT id, r FROM tab");
  sqlite3_stmt* s = st.handle();
  int seen = 0, told = -1;
  while (st.Step()) {
    if ((++seen & 255) == 0) {
      if (stop && stop()) {
        scan.stopped = true;
        return scan;
      }
      const int percent = rows > 0 ? std::min(100, seen * 100 / rows) : 0;
      if (progress && percent != told) progress(told = percent);
    }
    if (sqlite3_column_type(s, 0) != SQLITE_INTEGER || sqlite3_column_type(s, 1) == SQLITE_NULL) continue;
    const std::string page = st.ColumnPage(1);
    if (prefilter.RulesOut(page)) continue;
    std::u16string text = PageShownText(page);
    if (!flags.match_case)
      for (char16_t& c : text) c = LowerCase(c);
    if (Search(text, pattern, flags.whole_word, 0, true)) scan.ids.insert(sqlite3_column_int(s, 0));
  }
  scan.failed = !st || st.failed();
  return scan;
}

std::optional<int> NextHit(const std::vector<int>& order, const std::unordered_set<int>& hits, int from,
                           bool down) {
  const auto here = std::find(order.begin(), order.end(), from);
  if (!down && here == order.end()) return std::nullopt;
  if (down) {
    for (auto it = here == order.end() ? order.begin() : here + 1; it != order.end(); ++it)
      if (hits.count(*it)) return *it;
    return std::nullopt;
  }
  for (auto it = here; it != order.begin();) {
    --it;
    if (hits.count(*it)) return *it;
  }
  return std::nullopt;
}

}  // namespace lw
