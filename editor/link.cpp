#include "editor/link.h"

#include <algorithm>
#include <cstdint>

#include "editor/format.h"
#include "store/db.h"
#include "store/statements.h"
#include "store/tree_model.h"

namespace lw {

namespace {

struct Scheme {
  std::u16string_view prefix;
  LinkKind kind;
};

constexpr Scheme kSchemes[] = {
    {u"copy:", LinkKind::kCopy},   {u"play:", LinkKind::kPlay},       {u"stop:", LinkKind::kStop},
    {u"file:", LinkKind::kFile},   {u"fold:", LinkKind::kFolder},     {u"goto:", LinkKind::kGoto},
    {u"lor:", LinkKind::kSibling}, {u"nod:", LinkKind::kNode},        {u"dex:", LinkKind::kDictionary},
    {u"wiki:", LinkKind::kEncyclopedia},
};

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// "name:" at the start, as in "http:", "mailto:" or "C:".
bool HasScheme(std::u16string_view text) {
  if (text.empty() || !IsAsciiLetter(text[0])) return false;
  for (char16_t c : text.substr(1)) {
    if (c == u':') return true;
    if (!IsAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') return false;
  }
  return false;
}

// The target of a field instruction HYPERLINK "target", or the text itself.
std::u16string_view FieldTarget(std::u16string_view text) {
  static constexpr std::u16string_view kField = u"HYPERLINK \"";
  if (!StartsWith(text, kField)) return text;
  const std::u16string_view rest = text.substr(kField.size());
  return rest.substr(0, rest.find(u'"'));
}

std::u16string Replaced(std::u16string_view text, char16_t from, char16_t to) {
  std::u16string out(text);
  std::replace(out.begin(), out.end(), from, to);
  return out;
}

// The text as RTF characters: "\", "{" and "}" escaped, anything outside
// printable ASCII as \uN? (N the signed 16-bit unit, "?" its fallback).
std::string RtfEscaped(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c == u'\\' || c == u'{' || c == u'}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\u" + std::to_string(static_cast<int16_t>(c)) + "?";
    }
  }
  return out;
}

// The text inside a field instruction's quoted argument, where a backslash
// and a double quote are written with a backslash before them.
std::u16string FieldQuoted(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  return out;
}

bool IsAbsolutePath(std::u16string_view name) {
  return (name.size() >= 2 && name[1] == u':') || StartsWith(name, u"\\") || StartsWith(name, u"/");
}

void AddOnce(std::vector<std::u16string>* paths, std::u16string path) {
  if (std::find(paths->begin(), paths->end(), path) == paths->end()) paths->push_back(std::move(path));
}

// The first row titled `title` that the tree shows, or 0.
int ShownNodeTitled(Db& db, const TreeModel& model, std::u16string_view title) {
  Statement st = db.Prepare(FormatSql16(kSqlSelectIdByTitle));
  if (!st.BindText16(1, title)) return 0;
  while (st.Step())
    if (model.ItemOf(st.ColumnInt(0))) return st.ColumnInt(0);
  return 0;
}

}  // namespace

LinkKind ClassifyLink(std::u16string* text) {
  *text = std::u16string(FieldTarget(*text));
  for (const Scheme& s : kSchemes) {
    if (!StartsWith(*text, s.prefix)) continue;
    text->erase(0, s.prefix.size());
    if (s.kind == LinkKind::kStop) text->clear();
    return s.kind;
  }
  if (StartsWith(*text, u"x")) {
    *text = u"[" + text->substr(1) + u"]";
    return LinkKind::kFootnote;
  }
  if (!HasScheme(*text) && text->find(u'@') != std::u16string::npos) text->insert(0, u"mailto:");
  return LinkKind::kOther;
}

std::string FootnoteRtf(std::u16string_view selected) {
  std::u16string text;
  for (char16_t c : selected)
    if (c != u'\r' && c != u'\n') text += c;
  return "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}{\\field{\\*\\fldinst HYPERLINK \"x" +
         RtfEscaped(FieldQuoted(text)) + "\"}{\\fldrslt\\cf1\\ul\\up9 " + RtfEscaped(text) +
         "\\up0}}}";
}

std::u16string DictionaryUrl(std::u16string_view word) {
  return std::u16string(u"https://") + kDictionaryHost + u"/definitie/" + PercentEncode(word);
}

std::u16string EncyclopediaUrl(std::u16string_view word, int language) {
  const char16_t* host = language == 418 ? kEncyclopediaHostRomanian : kEncyclopediaHostEnglish;
  return std::u16string(u"https://") + host + u"/wiki/" + PercentEncode(word);
}

int FindLinkedNode(Db& db, const TreeModel& model, std::u16string_view title) {
  if (const int id = ShownNodeTitled(db, model, title)) return id;
  const std::u16string spaced = Replaced(title, u'_', u' ');
  return spaced == title ? 0 : ShownNodeTitled(db, model, spaced);
}

std::vector<std::u16string> FileLinkCandidates(std::u16string_view name,
                                               std::u16string_view program_folder) {
  std::vector<std::u16string> paths = FolderLinkCandidates(name);
  if (name.empty() || IsAbsolutePath(name) || program_folder.empty()) return paths;
  std::u16string below(program_folder);
  if (below.back() != u'\\' && below.back() != u'/') below += u'\\';
  AddOnce(&paths, below + u"lorew\\" + std::u16string(name));
  return paths;
}

std::vector<std::u16string> FolderLinkCandidates(std::u16string_view name) {
  std::vector<std::u16string> paths;
  if (name.empty()) return paths;
  AddOnce(&paths, std::u16string(name));
  AddOnce(&paths, Replaced(name, u'_', u' '));
  return paths;
}

bool IsRunnableFile(std::u16string_view path) {
  static constexpr std::u16string_view kRunnable[] = {
      u"exe", u"com", u"bat", u"cmd", u"ps1", u"psm1", u"vbs", u"vbe", u"js", u"jse", u"wsf",
      u"wsh", u"msi", u"msp", u"scr", u"lnk", u"pif", u"hta", u"cpl", u"reg", u"jar", u"msc",
      u"inf", u"url", u"application", u"appref-ms", u"gadget", u"scf", u"sct", u"chm"};
  // Windows ignores trailing dots and spaces: "run.exe. " still runs.
  while (!path.empty() && (path.back() == u'.' || path.back() == u' ')) path.remove_suffix(1);
  const size_t dot = path.find_last_of(u".\\/");
  if (dot == std::u16string_view::npos || path[dot] != u'.') return false;
  std::u16string ext(path.substr(dot + 1));
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return std::find(std::begin(kRunnable), std::end(kRunnable), ext) != std::end(kRunnable);
}

}  // namespace lw
