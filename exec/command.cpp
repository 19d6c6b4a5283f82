#include "exec/command.h"

#include <algorithm>
#include <array>

namespace lw {

namespace {

bool StartsWith(std::u16string_view s, std::u16string_view p) { return s.substr(0, p.size()) == p; }
bool EndsWith(std::u16string_view s, std::u16string_view p) {
  return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

bool IsDeviceName(std::u16string_view name) {
  std::u16string stem(name.substr(0, name.find(u'.')));
  for (char16_t& c : stem)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  static const std::array<std::u16string_view, 4> kPlain = {u"CON", u"PRN", u"AUX", u"NUL"};
  if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
  return stem.size() == 4 && (StartsWith(stem, u"COM") || StartsWith(stem, u"LPT")) && stem[3] >= u'1' &&
         stem[3] <= u'9';
}

MaintenanceWord WordOf(std::u16string_view line) {
  if (line == u"duplicate") return MaintenanceWord::kDuplicate;
  if (line == u"hidden") return MaintenanceWord::kHidden;
  if (line == u"convert") return MaintenanceWord::kConvert;
  return MaintenanceWord::kNone;
}

}  // namespace

std::u16string PageFileName(std::u16string_view title) {
  std::u16string name;
  for (char16_t c : title) {
    const bool forbidden = c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos;
    name += c == u' ' || forbidden ? u'_' : c;
  }
  while (!name.empty() && name.back() == u'.') name.pop_back();  // Windows drops them
  if (name.empty()) return u"page";
  if (IsDeviceName(name)) name = u"_" + name;
  return name;
}

PreparedCommand PrepareCommand(std::u16string_view selection, std::u16string_view title) {
  std::u16string line;
  for (char16_t c : selection)
    if (c != u'\r') line += c;
  if (StartsWith(line, u"//") || StartsWith(line, u"/*")) line.erase(0, 2);
  if (EndsWith(line, u"*/")) line.erase(line.size() - 2);
  PreparedCommand out;
  out.word = WordOf(line);
  if (out.word != MaintenanceWord::kNone || line.find(u'\u00B1') == std::u16string::npos) {
    out.line = line;
    return out;
  }
  const std::u16string name = PageFileName(title.substr(0, 44));
  // Quoted, so a name can never split the line or add to it; "±.c" gives
  // "name".c, one argument to the program.
  const std::u16string quoted = u"\"" + name + u"\"";
  for (char16_t c : line) out.line += c == u'\u00B1' ? quoted : std::u16string(1, c);
  std::u16string file = name;
  if (line.find(u" gcc ") != std::u16string::npos) file += u".c";
  else if (line.find(u" g++ ") != std::u16string::npos) file += u".cpp";
  out.page_file = file;
  return out;
}

std::u16string ScriptText(std::u16string_view block) {
  std::u16string text;
  for (size_t i = 0; i < block.size(); ++i) {
    const char16_t c = block[i];
    if (c == u'\r' || c == u'\n') {
      text += u"\r\n";
      if (c == u'\r' && i + 1 < block.size() && block[i + 1] == u'\n') ++i;
    } else {
      text += c;
    }
  }
  if (!text.empty() && text.back() != u'\n') text += u"\r\n";  // the last line ends too
  return text;
}

}  // namespace lw
