#include "store/transfer.h"

#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <algorithm>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "base/utf.h"
#include "store/cipher_open.h"
#include "store/statements.h"

namespace fs = std::filesystem;

namespace lw {

namespace {

// Reports 0 first and then each growth of the whole percent. The position
// is worked out from the count done rather than summed step by step, so the
// last item reaches 100 exactly.
class Progress {
 public:
  Progress(const ProgressSink& sink, int items) : sink_(sink), items_(items) {
    if (sink_) sink_(0);
  }
  void Advance() {
    ++done_;
    const int percent = items_ > 0 ? static_cast<int>(done_ * 100LL / items_) : 100;
    if (percent > shown_) {
      shown_ = percent;
      if (sink_) sink_(percent);
    }
  }

 private:
  const ProgressSink& sink_;
  int items_;
  int done_ = 0;
  int shown_ = 0;
};

// New ids for one import: the numbers free when it starts, drawn uniformly
// and never twice. Drawing from the list costs the same however full the
// library is.
class IdSource {
 public:
  IdSource(const UsedNumbers& used, const std::optional<unsigned>& seed)
      : rng_(seed ? *seed : std::random_device{}()) {
    for (int n = 1; n <= kMaxNodeNumber; ++n) {
      if (!used.test(static_cast<std::size_t>(n))) free_.push_back(n);
    }
  }
  std::optional<int> Next(NodeKind kind) {
    if (free_.empty()) return std::nullopt;
    std::uniform_int_distribution<std::size_t> pick(0, free_.size() - 1);
    const std::size_t k = pick(rng_);
    const int number = free_[k];
    free_[k] = free_.back();
    free_.pop_back();
    return MakeNodeId(number, kind);
  }

 private:
  std::mt19937 rng_;
  std::vector<int> free_;
};

// The same file under two spellings of its path counts as the same file.
bool SameFile(const std::u16string& a, const std::u16string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code ec;
  return fs::equivalent(fs::path(a), fs::path(b), ec);
}

// Binds column `col` of `from` as it is stored: a NULL stays NULL, and a
// blob keeps its own length (a page read by another program may lack the
// terminating zero, or hold bytes after it).
bool CopyBlob(const Statement& from, int col, Statement& to, int index) {
  sqlite3_stmt* s = from.handle();
  if (sqlite3_column_type(s, col) == SQLITE_NULL) return true;
  const void* data = sqlite3_column_blob(s, col);
  const int bytes = sqlite3_column_bytes(s, col);
  return to.BindBlob(index, data, static_cast<std::size_t>(bytes > 0 ? bytes : 0));
}

// Runs an insert (or update) of `pattern` with `args` and the page of
// column `col` of `from` bound as its one parameter.
bool InsertWithPage(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args,
                    const Statement& from, int col) {
  Statement insert = db.Prepare(FormatSql16(pattern, args));
  return insert && CopyBlob(from, col, insert, 1) && insert.Run();
}

bool InsertPlain(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args) {
  Statement insert = db.Prepare(FormatSql16(pattern, args));
  return insert && insert.Run();
}

// One row of a library read for copying, without its page.
struct RowRef {
  sqlite3_int64 rowid = 0;
  int id = 0;
  int order = 0;
  std::u16string title;
};
using RowsByParent = std::unordered_map<int, std::vector<RowRef>>;

// Every row of `db` grouped by parent, each group in "ORDER BY i" order with
// ties in table order. False when the table could not be read (reported).
bool ReadRowsByParent(Db& db, RowsByParent* rows) {
  Statement all = db.Prepare(FormatSql16(kSqlSelectRowsWithRowids));
  if (!all) return false;
  while (all.Step()) {
    (*rows)[all.ColumnInt(2)].push_back({sqlite3_column_int64(all.handle(), 0), all.ColumnInt(1),
                                         all.ColumnInt(3), all.ColumnText16(4)});
  }
  if (all.failed()) return false;
  for (auto& group : *rows) {
    std::stable_sort(group.second.begin(), group.second.end(),
                     [](const RowRef& a, const RowRef& b) { return a.order < b.order; });
  }
  return true;
}

const std::vector<RowRef>& ChildrenOf(const RowsByParent& rows, int parent) {
  static const std::vector<RowRef> kNone;
  const auto it = rows.find(parent);
  return it == rows.end() ? kNone : it->second;
}

// Runs an insert of `pattern` with `args` and the page of `row` in `from`
// bound as its one parameter.
bool InsertWithPageOf(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args,
                      Statement& page, const RowRef& row) {
  sqlite3_reset(page.handle());
  if (sqlite3_bind_int64(page.handle(), 1, row.rowid) != SQLITE_OK || !page.Step()) {
    return false;  // a row that vanished, or a failed read (reported)
  }
  return InsertWithPage(db, pattern, args, page, 0);
}

// Stores the orders 0, 1, 2, ... of the top level as the tree shows it
// after an import: the folders there were keep theirs unless they differ,
// and the rows just inserted are found by their rowids.
void RenumberTopLevel(Db& db, TreeModel& model, ModelItem* root,
                      const std::unordered_map<const ModelItem*, sqlite3_int64>& inserted) {
  Statement by_rowid = db.Prepare(FormatSql16(kSqlSetOrderByRowid));
  int order = 0;
  for (ModelItem* child = root->first_child(); child; child = child->next_sibling(), ++order) {
    const auto it = inserted.find(child);
    if (it != inserted.end()) {
      sqlite3_reset(by_rowid.handle());
      if (by_rowid.BindInt(1, order) &&
          sqlite3_bind_int64(by_rowid.handle(), 2, it->second) == SQLITE_OK) {
        by_rowid.Run();
      }
    } else if (child->order() != order) {
      db.Exec(FormatSql8(order == 0 ? kSqlSetFirstOrder : kSqlSetOrder,
                         order == 0 ? std::initializer_list<SqlArg>{child->id()}
                                    : std::initializer_list<SqlArg>{order, child->id()}));
    }
    model.SetOrder(child, order);
  }
}

bool InTransaction(Db& db) { return db.is_open() && sqlite3_get_autocommit(db.handle()) == 0; }

// Ends the transaction of a copy on `db`. `keep`: commit what was written;
// otherwise (or when the commit fails) roll it back. Answers whether the
// rows written are in the file now. A transaction that SQLite rolled back
// by itself after an I/O error is over already: nothing was kept.
bool EndTransaction(Db& db, bool keep) {
  if (!InTransaction(db)) return false;
  if (keep && db.Exec(kSqlCommit)) return true;
  // The rows are undone from the journal in memory; nothing to report.
  sqlite3_exec(db.handle(), kSqlRollback, nullptr, nullptr, nullptr);
  return false;
}

}  // namespace

int TransferMessage(TransferOutcome outcome, bool import) {
  switch (outcome) {
    case TransferOutcome::kNoLibrary: return 34;
    case TransferOutcome::kSameFile: return import ? 31 : 32;
    case TransferOutcome::kEnciphered: return 19;
    case TransferOutcome::kNoNodes: return 30;
    case TransferOutcome::kNodeLimit: return 24;
    case TransferOutcome::kAlreadyOpen: return 35;
    case TransferOutcome::kMissing: return 36;
    default: return 0;
  }
}

// --- Import ----------------------------------------------------------------------

ImportResult ImportLibrary(WorkClaim claim, NodeStore& store, TreeModel& model,
                           const std::u16string& source, const TransferOptions& options) {
  ImportResult result;
  if (!claim) {
    result.outcome = TransferOutcome::kBusy;
    return result;
  }
  ModelItem* root = model.library_root();
  if (!store.library_open() || !root) {
    result.outcome = TransferOutcome::kNoLibrary;
    return result;
  }
  if (SameFile(source, store.current_path())) {
    result.outcome = TransferOutcome::kSameFile;
    return result;
  }
  if (!IsRegularFile(source)) {
    result.outcome = TransferOutcome::kMissing;
    return result;
  }
  if (LooksEnciphered(source)) {
    result.outcome = TransferOutcome::kEnciphered;
    return result;
  }

  Db& dst = store.db();
  Db src([&dst](const std::u16string& m) { dst.Report(m); });
  if (!OpenThroughCipher(src, source)) return result;
  src.Exec(kSqlProbe);
  RowsByParent rows;
  if (!ReadRowsByParent(src, &rows) || ChildrenOf(rows, 0).empty()) {
    result.outcome = TransferOutcome::kNoNodes;
    return result;
  }
  const std::vector<RowRef>& folder_rows = ChildrenOf(rows, 0);

  const bool batched = options.batched;
  if (batched && !(dst.Exec(kSqlJournalInMemory) && dst.Exec(kSqlBegin))) {
    dst.Exec(kSqlJournalOff);
    return result;
  }

  Progress progress(options.progress, static_cast<int>(folder_rows.size()));
  IdSource ids(model.UsedNodeNumbers(), options.seed);
  std::vector<ModelItem*> added_top;  // undone together if the copy is
  std::unordered_map<const ModelItem*, sqlite3_int64> added_rowids;
  bool failed = false;
  bool limit = false;
  auto new_id = [&](NodeKind kind) {
    std::optional<int> id = ids.Next(kind);
    if (!id) limit = true;
    return id;
  };

  if (std::optional<int> sep = new_id(NodeKind::kFolder)) {
    added_top.push_back(model.AddNode(root, *sep, u"--separator--", 0, false));
    if (InsertPlain(dst, kSqlImportInsertSeparator, {*sep})) {
      added_rowids[added_top.back()] = sqlite3_last_insert_rowid(dst.handle());
      ++result.rows_added;
    } else {
      failed = true;
    }
  }

  Statement page = src.Prepare(FormatSql16(kSqlSelectPageByRowid));
  if (!page) failed = true;
  // Three levels, as the tree has: rows below a file, and rows whose parent
  // is no folder or book of the source, are not reached.
  for (const RowRef& f : folder_rows) {
    if (failed || limit) break;
    const std::optional<int> folder_id = new_id(NodeKind::kFolder);
    if (!folder_id) break;
    ModelItem* folder = model.AddNode(root, *folder_id, f.title, 0, false);
    added_top.push_back(folder);
    if (!InsertWithPageOf(dst, kSqlImportInsertFolder, {*folder_id, f.title}, page, f)) {
      failed = true;
      break;
    }
    added_rowids[folder] = sqlite3_last_insert_rowid(dst.handle());
    ++result.rows_added;
    progress.Advance();

    int book_order = 0;
    for (const RowRef& b : ChildrenOf(rows, f.id)) {
      const std::optional<int> book_id = new_id(NodeKind::kBook);
      if (!book_id) break;
      ModelItem* book = model.AddNode(folder, *book_id, b.title, book_order, false);
      if (!InsertWithPageOf(dst, kSqlImportInsertChild, {*book_id, *folder_id, book_order, b.title},
                            page, b)) {
        failed = true;
        break;
      }
      ++result.rows_added;
      ++book_order;

      int file_order = 0;
      for (const RowRef& x : ChildrenOf(rows, b.id)) {
        const std::optional<int> file_id = new_id(NodeKind::kFile);
        if (!file_id) break;
        model.AddNode(book, *file_id, x.title, file_order, false);
        if (!InsertWithPageOf(dst, kSqlImportInsertChild,
                              {*file_id, *book_id, file_order, x.title}, page, x)) {
          failed = true;
          break;
        }
        ++result.rows_added;
        ++file_order;
      }
      if (failed || limit) break;
    }
  }
  page.Finalize();
  src.Close();

  // What was copied stays unless the caller wants all or nothing; the top
  // level is renumbered only when it did, so that the separator and the
  // imported folders follow the folders there were.
  const bool complete = !failed && !limit;
  bool kept = true;
  if (batched) {
    // After an I/O error SQLite may have rolled the transaction back itself.
    const bool keep = (complete || options.keep_partial) && InTransaction(dst);
    if (keep && result.rows_added > 0) RenumberTopLevel(dst, model, root, added_rowids);
    kept = EndTransaction(dst, keep);
    dst.Exec(kSqlJournalOff);
  } else if (result.rows_added > 0) {
    RenumberTopLevel(dst, model, root, added_rowids);
  }
  if (!kept) {
    for (ModelItem* item : added_top) model.Remove(item);
    result.rows_added = 0;
    if (!limit) failed = true;  // the commit itself failed
  }
  model.RebuildIndex();

  if (limit) {
    result.outcome = TransferOutcome::kNodeLimit;
  } else {
    result.outcome = failed ? TransferOutcome::kFailed : TransferOutcome::kDone;
  }
  return result;
}

// --- Export ----------------------------------------------------------------------

namespace {

// The rows of the branch into `out`; false at the first failure (reported).
bool CopyBranch(Db& in, Db& out, const ModelItem& node, const std::optional<std::string>& own_page,
                const ProgressSink& sink, int* rows_written) {
  const int id = node.id();
  const bool book = IsBook(id);
  if (book) {
    const ModelItem* folder = node.parent();
    if (!InsertPlain(out, kSqlExportInsertFolder, {folder->id(), folder->text()})) return false;
    ++*rows_written;
    if (!InsertPlain(out, kSqlInsertPasted, {id, folder->id(), node.text()})) return false;
  } else {
    if (!InsertPlain(out, kSqlExportInsertFolder, {id, node.text()})) return false;
  }
  ++*rows_written;
  if (own_page && !own_page->empty()) {
    Statement store = out.Prepare(FormatSql16(kSqlExportStorePage, {id}));
    if (!(store && store.BindPage(1, *own_page) && store.Run())) return false;
  }

  RowsByParent rows;
  if (!ReadRowsByParent(in, &rows)) return false;
  const std::vector<RowRef>& children = ChildrenOf(rows, id);
  if (children.empty()) return true;
  Statement page = in.Prepare(FormatSql16(kSqlSelectPageByRowid));
  if (!page) return false;
  Progress progress(sink, static_cast<int>(children.size()));
  // Children keep their ids and their orders.
  for (const RowRef& child : children) {
    if (!InsertWithPageOf(out, kSqlImportInsertChild, {child.id, id, child.order, child.title},
                          page, child)) {
      return false;
    }
    ++*rows_written;
    if (!book) {
      for (const RowRef& file : ChildrenOf(rows, child.id)) {
        if (!InsertWithPageOf(out, kSqlImportInsertChild,
                              {file.id, child.id, file.order, file.title}, page, file)) {
          return false;
        }
        ++*rows_written;
      }
    }
    progress.Advance();
  }
  return true;
}

}  // namespace

ExportResult ExportBranch(WorkClaim claim, NodeStore& store, const ModelItem* node,
                          const std::u16string& target, const std::optional<std::string>& own_page,
                          const TransferOptions& options) {
  ExportResult result;
  if (!claim) {
    result.outcome = TransferOutcome::kBusy;
    return result;
  }
  if (!store.library_open()) {
    result.outcome = TransferOutcome::kNoLibrary;
    return result;
  }
  const bool branch = node && node->is_node() && node->child_count() > 0 &&
                      (IsFolder(node->id()) || (IsBook(node->id()) && node->parent() &&
                                                node->parent()->is_node()));
  if (!branch) {
    result.outcome = TransferOutcome::kNotBranch;
    return result;
  }
  if (SameFile(target, store.current_path())) {
    result.outcome = TransferOutcome::kSameFile;
    return result;
  }

  Db& in = store.db();
  Db out([&in](const std::u16string& m) { in.Report(m); });
  if (!RemoveFileIfPresent(target, in)) return result;
  // An enciphered library's export is keyed before its first page is
  // written, so no page of it ever reaches the disk in the clear.
  result.enciphered = store.encrypted() && !store.password().empty();
  const bool opened = result.enciphered ? OpenWithPassword(out, target, store.password())
                                        : OpenThroughCipher(out, target);
  bool ok = opened && out.Exec(kSqlCreateExportTarget);
  if (ok && options.batched) ok = out.Exec(kSqlBegin);
  if (ok) ok = CopyBranch(in, out, *node, own_page, options.progress, &result.rows_written);
  if (ok && options.batched) ok = out.Exec(kSqlCommit);
  out.Close();
  if (!ok) {
    // Whatever was written is of no use; an export file that cannot be
    // created has left nothing behind either.
    RemoveFileIfPresent(target, in);
    result.rows_written = 0;
    result.enciphered = false;
    return result;
  }
  result.outcome = TransferOutcome::kDone;
  return result;
}

// --- Conversion ------------------------------------------------------------------

std::u16string ConvertedPath(const std::u16string& path) {
  const std::size_t n = path.size();
  if (n < 4 || path[n - 4] != u'.') return path;
  auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  if (lower(path[n - 3]) != u'i' || lower(path[n - 2]) != u'd' || lower(path[n - 1]) != u'b') {
    return path;
  }
  return path.substr(0, n - 4) + u".db";
}

ConvertResult ConvertLegacyLibrary(WorkClaim claim, const std::u16string& path,
                                   const ErrorSink& on_error,
                                   const NodeStore::ExclusiveReadCheck& can_read_unshared) {
  ConvertResult result;
  if (!claim) {
    result.outcome = TransferOutcome::kBusy;
    return result;
  }
  if (!IsRegularFile(path)) {
    result.outcome = TransferOutcome::kMissing;
    return result;
  }
  if (!(can_read_unshared ? can_read_unshared(path) : CanReadUnshared(path))) {
    result.outcome = TransferOutcome::kAlreadyOpen;
    return result;
  }
  const std::u16string new_path = ConvertedPath(path);
  std::error_code ec;
  // Renaming onto an existing library would destroy it.
  if (new_path != path && fs::exists(fs::path(new_path), ec)) {
    result.outcome = TransferOutcome::kTargetExists;
    return result;
  }

  Db db(on_error);
  if (!OpenThroughCipher(db, path)) return result;
  // All four statements or none: a file converted half-way could not be
  // told from a converted one, and a second conversion would turn its books
  // into files.
  bool ok = db.Exec(kSqlJournalInMemory) && db.Exec(kSqlBegin) && db.Exec(kSqlStampVersion);
  for (const char* sql : kSqlConvertLegacy) {
    if (!ok) break;
    Statement st = db.Prepare(FormatSql16(sql));
    ok = st && st.Run();
  }
  if (ok) ok = db.Exec(kSqlCommit);
  if (!ok) EndTransaction(db, false);
  db.Close();
  if (!ok) return result;

  if (new_path != path) {
    fs::rename(fs::path(path), fs::path(new_path), ec);
    if (ec) {
      if (on_error) on_error(Utf8ToUtf16(ec.message()));
      result.new_path = path;  // converted, under its old name
      return result;
    }
  }
  result.outcome = TransferOutcome::kDone;
  result.new_path = new_path;
  return result;
}

// --- Table report ------------------------------------------------------------------

namespace {

// One row of the report: a grey single border around each cell, the cells'
// right edges, and each cell's text with its alignment.
std::string ReportRow(const char* const (&cells)[5], const char* const (&align)[5]) {
  static const int kRightEdges[5] = {993, 2127, 3123, 4824, 6355};
  std::string row = "\\trowd\\trgaph108\\trleft0\\trrh461\r\n";
  for (int edge : kRightEdges) {
    for (const char* side : {"t", "l", "b", "r"}) {
      row += "\\clbrdr";
      row += side;
      row += "\\brdrs\\brdrw10\\brdrcf1";
    }
    row += "\\clvertalc\\cellx" + std::to_string(edge) + "\r\n";
  }
  for (int c = 0; c < 5; ++c) {
    row += "\\pard\\intbl\\";
    row += align[c];
    row += "\\f1\\fs20 ";
    row += cells[c];
    row += "\\cell\r\n";
  }
  row += "\\row\r\n";
  return row;
}

std::string MakeTableReport() {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1033"
      "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset238 Times New Roman;}"
      "{\\f1\\fmodern\\fprq1\\fcharset238 Courier New;}"
      "{\\f2\\fswiss\\fprq2\\fcharset238 Calibri;}}\r\n"
      "{\\colortbl ;\\red166\\green166\\blue166;}\r\n"
      "\\viewkind4\\uc1\r\n";
  const char* const kCentred[5] = {"qc", "qc", "qc", "qc", "qc"};
  const char* const kData[5] = {"qr", "qr", "qc", "ql", "ql"};
  rtf += ReportRow({"id", "p", "i", "t", "r"}, kCentred);
  rtf += ReportRow({"4200", "0", "0", "New folder", ""}, kData);
  rtf += ReportRow({"1846802", "4200", "0", "New book", ""}, kData);
  rtf += ReportRow({"1745704", "1846802", "0", "New file", ""}, kData);
  rtf += "\\pard\\f2\\fs22\\par\r\n}\r\n";
  return rtf;
}

}  // namespace

const std::string& TableReportRtf() {
  static const std::string report = MakeTableReport();
  return report;
}

}  // namespace lw
