#include "store/demo_library.h"

#include <random>
#include <string_view>
#include <vector>

#include "store/node_id.h"
#include "store/node_index.h"
#include "store/statements.h"

namespace lw {

namespace {

// --- Pages ---------------------------------------------------------------------
//
// Pages are written as RichEdit itself writes them: 8-bit RTF, letters
// outside the code page as \uN? with '?' for readers that cannot show them.

constexpr std::string_view kRtfHead =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Segoe UI;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red0\\green0\\blue0;\\red176\\green32\\blue32;\\red0\\green96\\blue160;}\r\n"
    "\\viewkind4\\pard\\sa120\\f0\\fs20\\cf1 ";

std::string Heading(std::string_view text) {
  return "\\pard\\sa160\\b\\fs32\\cf3 " + std::string(text) + "\\cf1\\b0\\fs20\\par\r\n";
}

std::string Para(std::string_view text) {
  return "\\pard\\sa120 " + std::string(text) + "\\par\r\n";
}

// A bulleted paragraph in the form RichEdit streams out for its own bullets.
std::string Bullet(std::string_view text) {
  return "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
         "\\fi-360\\li720\\sa60 " +
         std::string(text) + "\\par\r\n";
}

std::string Page(std::initializer_list<std::string> blocks) {
  std::string rtf(kRtfHead);
  for (const std::string& b : blocks) rtf += b;
  rtf += "\\pard\\par\r\n}\r\n";
  return rtf;
}

// --- The tree ------------------------------------------------------------------

struct DemoNode {
  NodeKind kind;
  bool favourite;
  std::u16string_view title;
  std::string page;
  std::vector<DemoNode> children;
};

std::vector<DemoNode> DemoTree() {
  return {
      {NodeKind::kFolder, false, u"Welcome",
       Page({Heading("Welcome to Lorewell"),
             Para("This is a sample library. Every node in the tree on the left carries one "
                  "page like this one, saved as you type."),
             Para("{\\b Folders} hold {\\b books}, and books hold {\\b files}: three levels, "
                  "no more.")}),
       {
           {NodeKind::kBook, true, u"Getting started",
            Page({Heading("Getting started"),
                  Para("This book is marked {\\cf2\\b favourite}, so it is also listed among "
                       "the favourites."),
                  Bullet("Add a folder, a book or a file from the tree's menu."),
                  Bullet("Rename a node by clicking its title."),
                  Bullet("Move nodes up and down, or cut and paste them elsewhere."),
                  Para("{\\i End a title with a backtick to make its page read-only.}")}),
            {
                {NodeKind::kFile, false, u"Formatting",
                 Page({Heading("Formatting"),
                       Para("Text can be {\\b bold}, {\\i italic}, {\\ul underlined} or "
                            "{\\cf2 coloured}, in {\\fs28 larger} or {\\fs16 smaller} type."),
                       Bullet("Headings like the one above"),
                       Bullet("Bulleted lists like this one"),
                       Bullet("Pictures, links and dates")}),
                 {}},
                {NodeKind::kFile, false, u"Saving",
                 Page({Heading("Saving"),
                       Para("Pages are saved five seconds after the last change, when another "
                            "node is selected, and on {\\b Ctrl+S}."),
                       Para("The whole library is one file; copy it to keep a backup.")}),
                 {}},
            }},
           {NodeKind::kBook, false, u"Shortcuts",
            Page({Heading("Shortcuts"), Bullet("{\\b Ctrl+B} bold"), Bullet("{\\b Ctrl+I} italic"),
                  Bullet("{\\b Ctrl+U} underline"), Bullet("{\\b Ctrl+F} find")}),
            {
                {NodeKind::kFile, false, u"Finding text",
                 Page({Heading("Finding text"),
                       Para("Find and replace can search the page shown or {\\i every} page "
                            "of the library.")}),
                 {}},
            }},
       }},
      {NodeKind::kFolder, false, u"Notes",
       Page({Heading("Notes"), Para("A folder for your own notes.")}),
       {
           {NodeKind::kBook, false, u"Rom\u00e2n\u0103",
            Page({Heading("Rom\\u226?n\\u259?"),
                  Para("Literele rom\\u226?ne\\u537?ti se p\\u259?streaz\\u259? "
                       "\\u238?ntocmai:"),
                  Bullet("\\u259? \\u226? \\u238? \\u537? \\u539?"),
                  Bullet("\\u258? \\u194? \\u206? \\u536? \\u538?"),
                  Para("{\\i \\u536?tiin\\u539?\\u259?, \\u539?ar\\u259?, "
                       "\\u238?nv\\u259?\\u539?\\u259?tur\\u259?.}")}),
            {
                {NodeKind::kFile, false, u"Diacritice",
                 Page({Heading("Diacritice"),
                       Para("Virgula de sub {\\b \\u537?} \\u537?i {\\b \\u539?} nu este o "
                            "sedil\\u259?.")}),
                 {}},
            }},
           {NodeKind::kBook, false, u"Ideas",
            Page({Heading("Ideas"), Para("{\\cf3 Write here.}")}), {}},
       }},
  };
}

class DemoWriter {
 public:
  explicit DemoWriter(Db& db) : db_(db), rng_(20240601u) {}

  void Write(const std::vector<DemoNode>& nodes, int parent) {
    int order = 0;
    for (const DemoNode& node : nodes) {
      std::optional<int> id = NewNodeId(node.kind, used_, rng_);
      if (!id) return;  // cannot happen with a handful of nodes
      used_.set(static_cast<std::size_t>(NodeNumber(*id)));
      if (node.favourite) id = MarkFavourite(*id);
      const std::u16string insert =
          node.kind == NodeKind::kFolder
              ? FormatSql16(kSqlInsertFolder, {*id, order})
              : FormatSql16(kSqlInsertChild, {*id, parent, order});
      Statement row = db_.Prepare(insert);
      row.BindText16(1, node.title);
      Run(std::move(row));
      Statement store = db_.Prepare(FormatSql16(kSqlStorePage));
      store.BindPage(1, node.page);
      store.BindInt(2, *id);
      Run(std::move(store));
      ++order;
      Write(node.children, *id);
    }
  }

  bool all_ok() const { return all_ok_; }

 private:
  void Run(Statement statement) {
    if (!statement.Run()) all_ok_ = false;
  }

  Db& db_;
  std::mt19937 rng_;  // fixed seed: every new user gets the same ids
  UsedNumbers used_;
  bool all_ok_ = true;
};

}  // namespace

bool MakeDemoLibrary(const std::u16string& path, const ErrorSink& on_error) {
  Db db(on_error);
  if (!db.CreateLibrary(path)) return false;
  DemoWriter writer(db);
  writer.Write(DemoTree(), 0);
  db.Close();
  return writer.all_ok();
}

}  // namespace lw
