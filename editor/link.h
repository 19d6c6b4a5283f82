// The portable half of the page's links: what a clicked link's text means
// (its kind and the text its action uses), the RTF of a footnote link made
// from a selection, the addresses of the outside dictionary and encyclopedia,
// the node a node link names, and the paths a file or folder link may mean.
//
// The window half (editor/link_win.h) reads the link's text from the pane,
// asks ClassifyLink and carries the action out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

class Db;
class TreeModel;

// --- Outside addresses, all in one place -----------------------------------------

// The online dictionary; a word is looked up at "https://" host "/definitie/".
inline constexpr char16_t kDictionaryHost[] = u"dexonline.ro";
// The online encyclopedia's two editions; an article is at "/wiki/".
inline constexpr char16_t kEncyclopediaHostRomanian[] = u"ro.wikipedia.org";
inline constexpr char16_t kEncyclopediaHostEnglish[] = u"en.wikipedia.org";
// The sibling note application: the exact title of its main window, and the
// address the user is sent to when it is not running.
inline constexpr char16_t kSiblingWindowTitle[] = u"Quillpad - quillpad.org";
inline constexpr char16_t kSiblingAddress[] = u"https://quillpad.org";
// The sibling's WM_COPYDATA tag for a text handed over by a link.
inline constexpr unsigned kSiblingCopyDataTag = 12;

// --- Classifying a link ----------------------------------------------------------------

// The longest link text that is followed (and the longest footnote link made):
// beyond it the text is not an address anyone typed, and the shell and the
// sibling are not handed megabytes.
inline constexpr std::size_t kMaxLinkLength = 8192;

enum class LinkKind {
  kCopy,          // "copy:": the text goes to the clipboard
  kPlay,          // "play:": the library's clip of that name plays
  kStop,          // "stop:": the clip playing stops
  kFile,          // "file:": a file (or folder) opens
  kFolder,        // "fold:": a folder opens
  kGoto,          // "goto:": the caret goes to a marker in the page
  kSibling,       // "lor:": the text goes to the sibling application
  kNode,          // "nod:": the node of that title is selected
  kDictionary,    // "dex:": the word is looked up in the dictionary
  kEncyclopedia,  // "wiki:": the word is looked up in the encyclopedia
  kFootnote,      // a text beginning with a lower-case "x": a footnote link
  kOther,         // anything else: handed to the shell (web, mail, Skype)
};

// The kind of the clicked link's `text`, by its first characters compared
// case-sensitively ("Copy:x" is kOther). `text` is replaced by what the
// action uses: the text after the scheme; for a footnote "[" + the text after
// its "x" + "]", the text searched for; for kOther the address to open, with
// "mailto:" put before a mail address that has no scheme. A text of the form
// HYPERLINK "target" (a field's instruction, as some controls report the
// whole field) is classified by its target.
LinkKind ClassifyLink(std::u16string* text);

// --- Footnote links ---------------------------------------------------------------------

// The RTF that replaces the selection `selected` with a footnote link: a
// HYPERLINK field whose target is "x" + the text and whose visible result is
// the text in blue (colour 1), underlined and raised by 9 half-points.
// Carriage returns and line feeds are left out; "\", "{", "}" and every
// character outside printable ASCII are escaped, so no selected text can end
// the field or the page's groups early.
std::string FootnoteRtf(std::u16string_view selected);

// --- Look-ups -----------------------------------------------------------------------------

// The dictionary's page for `word`, the word UTF-8 percent-encoded.
std::u16string DictionaryUrl(std::u16string_view word);
// The encyclopedia's article on `word`: the Romanian edition for a Romanian
// interface (418), the English one for any other language.
std::u16string EncyclopediaUrl(std::u16string_view word, int language);

// --- Node links ---------------------------------------------------------------------------

// The node a node link names: the first row whose title is `title` and that
// the tree shows, else the first such row for `title` with every underscore
// a space; 0 when there is none. The title is bound, never placed in the
// statement's text, so any character in it finds its node or nothing.
int FindLinkedNode(Db& db, const TreeModel& model, std::u16string_view title);

// --- File and folder links ---------------------------------------------------------------

// The paths a file link's `name` may mean, in the order they are tried: the
// name as written (relative names against the current folder), the name with
// every underscore a space, and the name below the "lorew" folder in
// `program_folder` (the folder of the executable). Names that are the same
// as an earlier one are left out; an absolute name has no "lorew" path.
std::vector<std::u16string> FileLinkCandidates(std::u16string_view name,
                                               std::u16string_view program_folder);
// The same for a folder link: as written, then with spaces for underscores.
std::vector<std::u16string> FolderLinkCandidates(std::u16string_view name);

// True when opening the file at `path` would run something: a program, a
// script, an installer, a shortcut, a registry file (by its extension, in
// any letter case).
bool IsRunnableFile(std::u16string_view path);

}  // namespace lw
