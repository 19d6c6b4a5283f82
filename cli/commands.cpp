#include "cli/commands.h"

#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <system_error>

#include "base/utf.h"
#include "editor/find.h"
#include "exec/sql.h"
#include "music/clips.h"
#include "store/cipher_open.h"
#include "store/file_safety.h"
#include "store/library_check.h"
#include "store/node_store.h"
#include "store/page_text.h"
#include "store/rekey.h"
#include "store/statements.h"
#include "store/transfer.h"
#include "store/vacuum.h"
#include "store/tree_model.h"

namespace fs = std::filesystem;

namespace lw::cli {

namespace {

// The reason a command failed; it ends the command with kExitFailed.
struct Failure {
  std::string reason;
};

// The store's reports, kept so that a failure can say what SQLite said.
struct Reports {
  std::vector<std::string> messages;
  ErrorSink sink() {
    return [this](const std::u16string& m) { messages.push_back(Utf16ToUtf8(m)); };
  }
  std::string last() const { return messages.empty() ? std::string() : messages.back(); }
  // `what`, and SQLite's own words when it reported any.
  std::string Reason(const std::string& what) const {
    return messages.empty() ? what : what + ": " + last();
  }
};


std::optional<int> ParseId(const std::u16string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  long long v = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    v = v * 10 + (c - u'0');
  }
  if (v > 0x7FFFFFFF) return std::nullopt;
  return static_cast<int>(v);
}

// A library or a source must be a regular file. It is looked at before
// anything opens it: reading a named pipe would wait for a writer forever.
void RequireFile(const std::u16string& path) {
  std::string reason;
  const PathKind kind = KindOfPath(path, &reason);
  if (kind == PathKind::kRegular) return;
  if (kind == PathKind::kMissing) throw Failure{"no such file " + QuotedPath(path)};
  if (kind == PathKind::kUnreachable) throw Failure{"cannot read " + QuotedPath(path) + ": " + reason};
  throw Failure{QuotedPath(path) + " " + KindText(kind) + ", not a library"};
}

// One line on the error stream naming the copies of an interrupted re-key
// that were removed, so that a file the user sees vanish is accounted for.
void ReportRemovedCopies(const Io& io, const std::vector<std::u16string>& removed) {
  if (removed.empty()) return;
  std::string line = "lorewell-cli: removed what an interrupted re-key left beside the library:";
  for (const std::u16string& copy : removed) line += " " + QuotedPath(copy);
  io.err(line + "\n");
}

// A password from `variable`, or asked for; nothing when neither gives one.
std::optional<std::u16string> Password(const Io& io, const char* variable,
                                       std::string_view prompt) {
  if (io.env) {
    if (std::optional<std::u16string> v = io.env(variable)) return v;
  }
  if (io.ask_secret) return io.ask_secret(prompt);
  return std::nullopt;
}

// Why the file at `path` is no library: what the tree reader said of its
// table when it said anything, and otherwise that its bytes are not a
// library's.
std::string NotLibrary(const Reports& reports, const std::u16string& path) {
  if (reports.messages.empty()) return QuotedPath(path) + " is damaged or is not a Lorewell library";
  return QuotedPath(path) + " is " + reports.last();
}

// A library opened for one command, with its tree read.
class OpenedLibrary {
 public:
  OpenedLibrary(const Io& io, const std::u16string& path) : store_(reports_.sink()) {
    RequireFile(path);
    if (ClassifyLibraryFile(path) == LibraryFileKind::kEnciphered) {
      std::optional<std::u16string> pw =
          Password(io, kPasswordVariable, "Password of " + QuotedPath(path) + ": ");
      if (!pw) {
        throw Failure{QuotedPath(path) + " is enciphered: set " + std::string(kPasswordVariable) +
                      " or run in a terminal"};
      }
      store_.set_password(*pw);
    }
    const OpenResult r = store_.OpenLibraryNow(path, model_);
    ReportRemovedCopies(io, r.removed_copies);
    if (r.outcome != OpenOutcome::kOpened) throw Failure{OpenFailure(r.outcome, path)};
    report_ = r.report;
  }
  ~OpenedLibrary() { store_.Close(model_, false); }

  // Why the library at `path` did not open, in the user's words.
  std::string OpenFailure(OpenOutcome outcome, const std::u16string& path) const {
    switch (outcome) {
      case OpenOutcome::kAlreadyOpen:
        return QuotedPath(path) + " is in use by another program; try again when it is closed";
      case OpenOutcome::kMissing: return "no such file " + QuotedPath(path);
      case OpenOutcome::kPathTooLong: return "the path is too long: " + QuotedPath(path);
      case OpenOutcome::kNeedsPassword: return "the password does not open " + QuotedPath(path);
      case OpenOutcome::kNotLibrary: return NotLibrary(reports_, path);
      case OpenOutcome::kDamaged: return reports_.Reason(QuotedPath(path) + " is damaged");
      default: return reports_.Reason("cannot open " + QuotedPath(path));
    }
  }

  NodeStore& store() { return store_; }
  TreeModel& model() { return model_; }
  Reports& reports() { return reports_; }
  const LoadReport& load_report() const { return report_; }

  ModelItem* Node(int id) {
    ModelItem* item = model_.ItemOf(id);
    if (!item) throw Failure{"no node " + std::to_string(id) + " in the tree"};
    return item;
  }
  // The stored page of `id`, as the editor would show it.
  std::string Page(int id) {
    Statement st = store_.db().Prepare(FormatSql16(kSqlSelectPage, {id}));
    if (!st.Step()) throw Failure{reports_.Reason("cannot read the page of " + std::to_string(id))};
    return st.ColumnPage(0);
  }

 private:
  Reports reports_;
  NodeStore store_;
  TreeModel model_;
  LoadReport report_;
};

const char* KindName(int id) {
  if (IsFolder(id)) return "folder";
  if (IsBook(id)) return "book";
  return "file";
}

// --- Commands ------------------------------------------------------------------------

int Info(const Io& io, const std::u16string& path) {
  OpenedLibrary lib(io, path);
  int folders = 0, books = 0, files = 0, favourites = 0;
  for (const IndexEntry& e : lib.model().index()) {
    folders += IsFolder(e.id);
    books += IsBook(e.id);
    files += IsFile(e.id);
    favourites += IsFavourite(e.id);
  }
  const CheckReport check =
      CheckLibrary(lib.store().db(), static_cast<std::int64_t>(lib.model().index().size()),
                   lib.load_report());
  if (!check.read) throw Failure{lib.reports().Reason("cannot count the rows")};
  std::string text = "library:        " + DisplayText(path) + "\n";
  text += "format version: " + std::to_string(lib.store().format_version()) + "\n";
  text += std::string("enciphered:     ") + (lib.store().encrypted() ? "yes" : "no") + "\n";
  text += "nodes:          " + std::to_string(check.rows) + " rows; " + std::to_string(folders) +
          " folders, " + std::to_string(books) + " books, " + std::to_string(files) + " files, " +
          std::to_string(favourites) + " favourites, " + std::to_string(check.hidden.size()) +
          " hidden\n";
  if (!check.hidden.empty()) text += "                (\"lorewell-cli check\" lists the hidden rows)\n";
  io.out(text);
  return kExitOk;
}

void DescribeTree(const ModelItem& parent, int depth, std::string* text) {
  for (const ModelItem& c : parent.children()) {
    text->append(static_cast<std::size_t>(depth) * 2, ' ');
    *text += DisplayText(c.text()) + "  [" + KindName(c.id()) + " " + std::to_string(c.id()) +
             (IsFavourite(c.id()) ? ", favourite" : "") + "]\n";
    DescribeTree(c, depth + 1, text);
  }
}

int Tree(const Io& io, const std::u16string& path) {
  OpenedLibrary lib(io, path);
  std::string text = DisplayText(lib.model().library_root()->text()) + "\n";
  DescribeTree(*lib.model().library_root(), 1, &text);
  io.out(text);
  return kExitOk;
}

int Import(const Io& io, const std::u16string& path, const std::u16string& source) {
  OpenedLibrary lib(io, path);
  TransferOptions options;
  options.keep_partial = false;  // a failed command changes nothing
  const ImportResult r = ImportLibrary(lib.store().ClaimWork(), lib.store(), lib.model(), source,
                                       options);
  switch (r.outcome) {
    case TransferOutcome::kDone:
      io.out("imported " + std::to_string(r.rows_added - 1) + " nodes from " + QuotedPath(source) +
             " after a \"--separator--\" folder\n");
      if (r.rows_skipped > 0) {
        io.out(std::to_string(r.rows_skipped) + " rows of " + QuotedPath(source) +
               " were left out: its tree does not show them (\"lorewell-cli check\" lists them)\n");
      }
      return kExitOk;
    case TransferOutcome::kSameFile: throw Failure{"You can not import the same db file !"};
    case TransferOutcome::kEnciphered:
      throw Failure{"You can't import an encrypted db file, decrypt it and try again."};
    case TransferOutcome::kNoNodes:
      if (!lib.reports().messages.empty()) throw Failure{NotLibrary(lib.reports(), source)};
      throw Failure{"This db file does not contain nodes or it contain it was damaged !"};
    case TransferOutcome::kNodeLimit:
      throw Failure{"The maximum number of nodes was achieved ! (nothing was imported)"};
    case TransferOutcome::kMissing: throw Failure{"no such file " + QuotedPath(source)};
    case TransferOutcome::kAlreadyOpen:
      throw Failure{QuotedPath(source) + " is in use by another program; nothing was imported"};
    default: throw Failure{lib.reports().Reason("import failed, nothing was imported")};
  }
}

int Export(const Io& io, const std::u16string& path, int id, const std::u16string& target) {
  OpenedLibrary lib(io, path);
  ModelItem* node = lib.Node(id);
  const ExportResult r =
      ExportBranch(lib.store().ClaimWork(), lib.store(), node, target, lib.Page(id));
  switch (r.outcome) {
    case TransferOutcome::kDone: break;
    case TransferOutcome::kSameFile: throw Failure{"You can not export in the same db file !"};
    case TransferOutcome::kNotBranch:
      throw Failure{std::string("node ") + std::to_string(id) + " is a " + KindName(id) +
                    " without children: write its page with the page command"};
    default: throw Failure{lib.reports().Reason("cannot export to " + QuotedPath(target))};
  }
  io.out("exported " + std::to_string(r.rows_written) + " nodes to " + QuotedPath(target) + "\n");
  if (r.enciphered) io.out("Attention ! Idb exported file is encrypted !\n");
  return kExitOk;
}

int Convert(const Io& io, const std::u16string& path) {
  if (ConvertedPath(path) == path) {
    // Converting a current library would turn its books into files.
    throw Failure{QuotedPath(path) + " is not an \".idb\" file"};
  }
  Reports reports;
  NodeStore busy(nullptr);  // only for its busy flag
  const ConvertResult r = ConvertLegacyLibrary(busy.ClaimWork(), path, reports.sink());
  switch (r.outcome) {
    case TransferOutcome::kDone:
      io.out("converted to " + QuotedPath(r.new_path) + "\n");
      return kExitOk;
    case TransferOutcome::kMissing: throw Failure{"no such file " + QuotedPath(path)};
    case TransferOutcome::kAlreadyOpen:
      throw Failure{"The file " + QuotedPath(path) + " is already open !"};
    case TransferOutcome::kTargetExists:
      throw Failure{QuotedPath(ConvertedPath(path)) + " exists already; nothing was converted"};
    default: throw Failure{reports.Reason("conversion failed, the file is unchanged")};
  }
}

int Page(const Io& io, const std::u16string& path, int id, const std::u16string& file) {
  OpenedLibrary lib(io, path);
  lib.Node(id);
  const std::string rtf = lib.Page(id);
  std::string error;
  if (!WritePageFile(file, rtf, path, &error)) throw Failure{error};
  return kExitOk;
}

bool ValidPassword(const std::u16string& pw) { return pw.empty() || (pw.size() >= 4 && pw.size() <= 19); }

// The password of the library at `path` for a command that rewrites it
// whole (empty for a plain one), after the checks such a command makes
// before it touches anything.
std::u16string PasswordForRewrite(const Io& io, const std::u16string& path) {
  RequireFile(path);
  ReportRemovedCopies(io, RemoveLibraryCopyLeftovers(path));
  if (!CanReadUnshared(path)) {
    throw Failure{QuotedPath(path) + " is in use by another program; try again when it is closed"};
  }
  switch (ClassifyLibraryFile(path)) {
    case LibraryFileKind::kNotLibrary:
      throw Failure{QuotedPath(path) + " is damaged or is not a Lorewell library; nothing was changed"};
    case LibraryFileKind::kEnciphered: {
      std::optional<std::u16string> pw =
          Password(io, kPasswordVariable, "Password of " + QuotedPath(path) + ": ");
      if (!pw) throw Failure{QuotedPath(path) + " is enciphered: set " + std::string(kPasswordVariable)};
      // SQLite would only say "file is not a database".
      if (!PasswordOpensHeader(path, *pw)) {
        throw Failure{"the password does not open " + QuotedPath(path) + "; nothing was changed"};
      }
      return *pw;
    }
    default: return {};
  }
}

// Why a rewrite of the library at `path` failed, the file being unchanged.
Failure RewriteFailure(const Reports& reports, const std::u16string& path, const std::string& what) {
  // Another program writing holds the lock the copy needs.
  if (reports.last() == sqlite3_errstr(SQLITE_BUSY)) {
    return Failure{QuotedPath(path) + " is in use by another program; nothing was changed"};
  }
  return Failure{reports.Reason(what + " failed, the file is unchanged")};
}

int Rekey(const Io& io, const std::u16string& path) {
  const std::u16string old_password = PasswordForRewrite(io, path);
  std::optional<std::u16string> fresh;
  if (io.env) fresh = io.env(kNewPasswordVariable);
  if (!fresh && io.ask_secret) {
    fresh = io.ask_secret("New password (empty: none): ");
    if (fresh && io.ask_secret("New password again: ") != fresh) {
      throw Failure{"the two new passwords differ; nothing was changed"};
    }
  }
  if (!fresh) throw Failure{"no new password: set " + std::string(kNewPasswordVariable)};
  if (!ValidPassword(*fresh)) {
    throw Failure{"a password has 0 or 4 to 19 characters; nothing was changed"};
  }
  Reports reports;
  if (!RekeyLibraryFile(path, old_password, *fresh, reports.sink())) {
    throw RewriteFailure(reports, path, "re-keying");
  }
  io.out(fresh->empty() ? "the library is plain now\n" : "the library is enciphered now\n");
  return kExitOk;
}

int Check(const Io& io, const std::u16string& path) {
  OpenedLibrary lib(io, path);
  const CheckReport r =
      CheckLibrary(lib.store().db(), static_cast<std::int64_t>(lib.model().index().size()),
                   lib.load_report());
  if (!r.read) throw Failure{lib.reports().Reason("cannot read the rows")};
  std::string text = std::to_string(r.rows) + " rows, " + std::to_string(r.shown) +
                     " shown in the tree\n";
  text += std::to_string(r.duplicate_ids.size()) + " duplicates.\n";
  for (const std::string& id : r.duplicate_ids) text += "  duplicate id " + id + "\n";
  text += std::to_string(r.hidden.size()) + " hidden.\n";
  for (const HiddenRow& h : r.hidden) {
    text += "  row " + std::to_string(h.rowid) + " (id " + DisplayBytes(h.id) + ", parent " +
            DisplayBytes(h.parent) + "): " + HiddenReasonText(h.reason) + "\n";
  }
  io.out(text);
  return r.clean() ? kExitOk : kExitProblems;
}

int Vacuum(const Io& io, const std::u16string& path) {
  const std::u16string password = PasswordForRewrite(io, path);
  Reports reports;
  if (!VacuumLibraryFile(path, password, reports.sink())) throw RewriteFailure(reports, path, "vacuum");
  return kExitOk;
}

// Every page that holds `text`, in tree order: the node's id and title.
int Find(const Io& io, const std::u16string& path, const std::u16string& text, FindFlags flags) {
  OpenedLibrary lib(io, path);
  const PageScan scan = ScanPages(lib.store().db(), text, flags);
  if (scan.failed) throw Failure{lib.reports().Reason("cannot read the pages")};
  std::string out;
  for (const IndexEntry& e : lib.model().index()) {
    if (!scan.ids.count(e.id)) continue;
    out += std::to_string(e.id) + "\t" + DisplayText(static_cast<const ModelItem*>(e.item)->text()) + "\n";
  }
  io.out(out);
  return kExitOk;
}

// One statement with its placeholders filled: the rows it returns, one a
// line, or the number of rows it changed. Text after the first statement
// does not run, and the tool says so.
int Sql(const Io& io, const std::u16string& path, const std::u16string& text) {
  OpenedLibrary lib(io, path);
  Db& db = lib.store().db();
  SqlPlaceholders values;
  if (!MakePlaceholders(db, lib.model(), &values)) throw Failure{"the library has no free node number"};
  const FirstStatement first = SplitFirstStatement(db, FillPlaceholders(text, values));
  const SqlRun run = RunSql(db, first.sql);
  if (!run.ok) throw Failure{lib.reports().Reason("the statement failed")};
  std::string out;
  for (const std::vector<std::u16string>& row : run.rows) {
    for (size_t c = 0; c < row.size(); ++c) out += (c ? "\t" : "") + DisplayText(row[c]);
    out += "\n";
  }
  if (run.rows.empty()) out += std::to_string(run.changes) + " rows changed\n";
  io.out(out);
  if (first.more) io.err("lorewell-cli: sql: only the first statement ran; the text after it did not\n");
  return kExitOk;
}

// --- Sound clips ------------------------------------------------------------------

int Clips(const Io& io, const std::u16string& path) {
  OpenedLibrary lib(io, path);
  const std::optional<std::vector<std::u16string>> names = ListClips(lib.store().db());
  if (!names) throw Failure{lib.reports().Reason("cannot read the clips")};
  std::string out;
  for (const std::u16string& name : *names) out += DisplayText(name) + "\n";
  io.out(out);
  return kExitOk;
}

int ClipAddCommand(const Io& io, const std::u16string& path, const std::u16string& file) {
  OpenedLibrary lib(io, path);
  Db& db = lib.store().db();
  std::string why;
  const std::optional<std::string> bytes = ReadWavFile(file, ClipByteLimit(db), &why);
  if (!bytes) throw Failure{why + "; nothing was changed"};
  const std::u16string name = ClipNameOf(file);
  switch (AddClip(db, name, *bytes)) {
    case ClipAdd::kAdded: io.out("attached as " + DisplayText(name) + "\n"); return kExitOk;
    case ClipAdd::kNameTaken:
      throw Failure{"a clip named " + DisplayText(name) + " is already in the library; rename the file"};
    case ClipAdd::kFailed: break;
  }
  throw Failure{lib.reports().Reason("cannot attach the clip")};
}

int ClipSaveCommand(const Io& io, const std::u16string& path, const std::u16string& name,
                    const std::u16string& file) {
  OpenedLibrary lib(io, path);
  const std::optional<std::string> bytes = ReadClip(lib.store().db(), name);
  if (!bytes) throw Failure{lib.reports().Reason("no clip named " + DisplayText(name))};
  std::string error;
  if (!WriteFileReplacing(file, *bytes, ReplaceRules{"part", path}, &error)) throw Failure{error};
  return kExitOk;
}

int ClipDeleteCommand(const Io& io, const std::u16string& path, const std::u16string& name) {
  OpenedLibrary lib(io, path);
  const int removed = DeleteClip(lib.store().db(), name);
  if (removed < 0) throw Failure{lib.reports().Reason("cannot delete the clip")};
  if (removed == 0) throw Failure{"no clip named " + DisplayText(name)};
  return kExitOk;
}

// The search options after the library and the text.
FindFlags FindOptions(const std::vector<std::u16string>& a) {
  FindFlags flags;
  for (size_t i = 2; i < a.size(); ++i) {
    if (a[i] == u"--match-case") flags.match_case = true;
    else if (a[i] == u"--whole-word") flags.whole_word = true;
    else throw Failure{"unknown option '" + Utf16ToUtf8(a[i]) + "'"};
  }
  if (a[1].empty()) throw Failure{"the text to find is empty"};
  return flags;
}

struct CommandSpec {
  int arguments;      // after the command's name
  int options = 0;    // optional arguments after those
};

const std::map<std::string, CommandSpec>& Commands() {
  static const std::map<std::string, CommandSpec> commands = {
      {"info", {1}},   {"tree", {1}},  {"import", {2}}, {"export", {3}}, {"convert", {1}},
      {"page", {3}},   {"rekey", {1}}, {"check", {1}},  {"vacuum", {1}}, {"find", {2, 2}}, {"sql", {2}},
      {"clips", {1}},  {"clip-add", {2}}, {"clip-save", {3}}, {"clip-delete", {2}}};
  return commands;
}

int Dispatch(const std::string& name, const std::vector<std::u16string>& a, const Io& io) {
  auto id = [&](const std::u16string& text) {
    std::optional<int> v = ParseId(text);
    if (!v) throw Failure{"not a node id: '" + Utf16ToUtf8(text) + "'"};
    return *v;
  };
  // Every library and source named is looked at before anything opens it,
  // and a target that can never be written is refused before the library
  // is read.
  RequireFile(a[0]);
  if (name == "import") RequireFile(a[1]);
  if (name == "export" || name == "page" || name == "clip-save") {
    std::string error;
    // The export's own check names the library it reads; see Export.
    const std::u16string source = name == "export" ? std::u16string() : a[0];
    if (!CheckReplaceable(a[2], ReplaceRules{"part", source}, &error)) throw Failure{error};
  }
  if (name == "info") return Info(io, a[0]);
  if (name == "tree") return Tree(io, a[0]);
  if (name == "import") return Import(io, a[0], a[1]);
  if (name == "export") return Export(io, a[0], id(a[1]), a[2]);
  if (name == "convert") return Convert(io, a[0]);
  if (name == "page") return Page(io, a[0], id(a[1]), a[2]);
  if (name == "rekey") return Rekey(io, a[0]);
  if (name == "check") return Check(io, a[0]);
  if (name == "find") return Find(io, a[0], a[1], FindOptions(a));
  if (name == "sql") return Sql(io, a[0], a[1]);
  if (name == "clips") return Clips(io, a[0]);
  if (name == "clip-add") return ClipAddCommand(io, a[0], a[1]);
  if (name == "clip-save") return ClipSaveCommand(io, a[0], a[1], a[2]);
  if (name == "clip-delete") return ClipDeleteCommand(io, a[0], a[1]);
  return Vacuum(io, a[0]);
}

}  // namespace

std::string UsageText() {
  return "usage: lorewell-cli COMMAND ARGUMENTS\n"
         "\n"
         "  info    LIBRARY             node counts, format version, enciphered or not\n"
         "  tree    LIBRARY             the tree as indented text, with each node's id\n"
         "  import  LIBRARY SOURCE      copy every node of the library SOURCE to the end\n"
         "                              of LIBRARY, after a \"--separator--\" folder\n"
         "  export  LIBRARY ID TARGET   write folder or book ID with everything under it\n"
         "                              to the new library TARGET (replaced if it exists)\n"
         "  convert FILE.idb            convert a library of the previous format in place;\n"
         "                              it is renamed to FILE.db\n"
         "  page    LIBRARY ID FILE     write the page of node ID: as RTF when FILE ends in\n"
         "                              .rtf, otherwise as UTF-16 text\n"
         "  rekey   LIBRARY             set, change or clear the password\n"
         "  check   LIBRARY             duplicate ids, rows the tree cannot show, broken\n"
         "                              parents\n"
         "  vacuum  LIBRARY             compact the file\n"
         "  find    LIBRARY TEXT [--match-case] [--whole-word]\n"
         "                              the pages that hold TEXT, in tree order: each\n"
         "                              node's id and title on a line (none: no lines)\n"
         "  sql     LIBRARY STATEMENT   run one SQL statement; @ # $ stand for a new folder,\n"
         "                              book and file id, > for the number of top-level\n"
         "                              nodes; prints the rows it returns or the number of\n"
         "                              rows it changed\n"
         "  clips   LIBRARY             the names of the sound clips, one a line\n"
         "  clip-add LIBRARY FILE.wav   attach a PCM WAV file, named after the file\n"
         "                              (blanks and apostrophes become '_')\n"
         "  clip-save LIBRARY NAME FILE write clip NAME to FILE (replaced if it exists)\n"
         "  clip-delete LIBRARY NAME    remove clip NAME from the library\n"
         "\n"
         "Passwords are never given on the command line. An enciphered library's\n"
         "password is read from LOREWELL_PASSWORD, or asked for on the terminal. rekey\n"
         "reads the new password from LOREWELL_NEW_PASSWORD (empty: no password) or\n"
         "asks for it. A password has 0 or 4 to 19 characters.\n"
         "\n"
         "Exit status: 0 done; 1 failed (the reason is on one line, the library is\n"
         "unchanged); 2 wrong usage; 3 check found problems.\n";
}

int RunCli(const std::vector<std::u16string>& args, const Io& io) {
  if (args.empty()) {
    io.err(UsageText());
    return kExitUsage;
  }
  const std::string name = Utf16ToUtf8(args[0]);
  if (name == "help" || name == "--help" || name == "-h") {
    io.out(UsageText());
    return kExitOk;
  }
  const auto spec = Commands().find(name);
  const int given = static_cast<int>(args.size()) - 1;
  if (spec == Commands().end() || given < spec->second.arguments ||
      given > spec->second.arguments + spec->second.options) {
    io.err(spec == Commands().end() ? "lorewell-cli: unknown command '" + name + "'\n"
                                    : "lorewell-cli: " + name + ": wrong number of arguments\n");
    io.err(UsageText());
    return kExitUsage;
  }
  try {
    return Dispatch(name, std::vector<std::u16string>(args.begin() + 1, args.end()), io);
  } catch (const Failure& f) {
    std::string line = f.reason;
    for (char& c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    io.err("lorewell-cli: " + name + ": " + line + "\n");
    return kExitFailed;
  }
}

}  // namespace lw::cli
