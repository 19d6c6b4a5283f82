#include "store/transfer.h"

#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <algorithm>
#include <system_error>
#include <vector>

#include "base/utf.h"
#include "store/cipher_open.h"
#include "store/file_safety.h"
#include "store/statements.h"
#include "store/tree_ops.h"

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

bool InsertPlain(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args) {
  Statement insert = db.Prepare(FormatSql16(pattern, args));
  return insert && insert.Run();
}

// Reads the pages of one library by rowid, one lookup each instead of a
// scan of the whole table (it has no index).
class PageReader {
 public:
  PageReader(Db& db, const std::u16string& rowid_name)
      : page_(db.Prepare(u"SELECT r FROM tab WHERE " + rowid_name + u" = ?")) {}
  // The statement stands on the page of `row`; false when the row vanished
  // or the read failed (reported).
  bool Seek(const TreeRow& row) {
    page_.Reset();
    return page_.BindInt64(1, row.rowid) && page_.Step();
  }
  const Statement& statement() const { return page_; }
  explicit operator bool() const { return page_.ok(); }

 private:
  Statement page_;
};

// Inserts `values` with the page of `row`, copied as it is stored.
bool CopyRow(RowInserter& insert, PageReader& pages, const NodeValues& values,
             const TreeRow& row) {
  return pages.Seek(row) && insert.Insert(values, pages.statement(), 0);
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

namespace {

// One import, from the source's tree to the rows and items of the open
// library. The separator and the folders go at the end of the top level;
// what was added is remembered so that it can be renumbered or undone.
class Importer {
 public:
  Importer(NodeStore& store, TreeModel& model, const TransferOptions& options,
           ImportResult* result)
      : store_(store), dst_(store.db()), model_(model), root_(model.library_root()),
        options_(options), result_(result), ids_(model.UsedNodeNumbers(), options.seed) {}

  // Copies the separator and then `tree`'s folders with everything under
  // them. Stops at the first failure or when no id is left.
  void Copy(Db& src, const TreeRows& tree) {
    RowInserter insert(dst_);
    PageReader pages(src, tree.rowid_name);
    if (!insert || !pages) {
      failed_ = true;
      return;
    }
    const std::optional<int> sep = NewId(NodeKind::kFolder);
    if (!sep) return;
    AddTop(*sep, u"--separator--", InsertPlain(dst_, kSqlImportInsertSeparator, {*sep}));
    Progress progress(options_.progress, static_cast<int>(tree.folders.size()));
    for (const TreeRow& f : tree.folders) {
      if (failed_ || limit_) return;
      const std::optional<int> folder_id = NewId(NodeKind::kFolder);
      if (!folder_id) return;
      ModelItem* folder = AddTop(*folder_id, f.title,
                                 CopyRow(insert, pages, {*folder_id, 0, 0, f.title}, f));
      progress.Advance();
      if (folder) CopyChildren(f, folder, NodeKind::kBook, insert, pages);
    }
  }

  // Keeps or undoes what was copied and sets the outcome.
  void Finish() {
    const bool complete = !failed_ && !limit_;
    bool kept = true;
    if (options_.batched) {
      // After an I/O error SQLite may have rolled the transaction back itself.
      const bool keep = (complete || options_.keep_partial) && InTransaction(dst_);
      if (keep && result_->rows_added > 0) RenumberChildren(store_, model_, root_);
      kept = EndTransaction(dst_, keep);
      dst_.Exec(kSqlJournalOff);
    } else if (result_->rows_added > 0) {
      RenumberChildren(store_, model_, root_);
    }
    if (!kept) {
      for (ModelItem* item : added_top_) model_.Remove(item);
      result_->rows_added = 0;
      if (!limit_) failed_ = true;  // the commit itself failed
    }
    model_.RebuildIndex();
    if (limit_) {
      result_->outcome = TransferOutcome::kNodeLimit;
    } else {
      result_->outcome = failed_ ? TransferOutcome::kFailed : TransferOutcome::kDone;
    }
  }

 private:
  std::optional<int> NewId(NodeKind kind) {
    std::optional<int> id = ids_.Next(kind);
    if (!id) limit_ = true;
    return id;
  }

  // A folder item at the end of the top level, for the row just inserted
  // (when `inserted`); nullptr after a failure.
  ModelItem* AddTop(int id, const std::u16string& title, bool inserted) {
    ModelItem* item =
        model_.AddNode(root_, id, title, 0, false, inserted ? dst_.LastInsertRowid() : 0);
    added_top_.push_back(item);
    if (!inserted) {
      failed_ = true;
      return nullptr;
    }
    ++result_->rows_added;
    return item;
  }

  // The books of a folder, or the files of a book, with orders 0, 1, 2, ...
  void CopyChildren(const TreeRow& from, ModelItem* parent, NodeKind kind, RowInserter& insert,
                    PageReader& pages) {
    int order = 0;
    for (const TreeRow& c : from.children) {
      const std::optional<int> id = NewId(kind);
      if (!id) return;
      ModelItem* item = model_.AddNode(parent, *id, c.title, order, false);
      if (!CopyRow(insert, pages, {*id, parent->id(), order, c.title}, c)) {
        failed_ = true;
        return;
      }
      model_.SetRowid(item, dst_.LastInsertRowid());
      ++result_->rows_added;
      ++order;
      if (kind == NodeKind::kBook) CopyChildren(c, item, NodeKind::kFile, insert, pages);
      if (failed_ || limit_) return;
    }
  }

  NodeStore& store_;
  Db& dst_;
  TreeModel& model_;
  ModelItem* root_;
  const TransferOptions& options_;
  ImportResult* result_;
  IdSource ids_;
  std::vector<ModelItem*> added_top_;
  bool failed_ = false;
  bool limit_ = false;
};

// Refusals before the source is opened; kDone when it may be.
TransferOutcome CheckImportSource(NodeStore& store, TreeModel& model,
                                  const std::u16string& source) {
  if (!store.library_open() || !model.library_root()) return TransferOutcome::kNoLibrary;
  if (SameFile(source, store.current_path())) return TransferOutcome::kSameFile;
  if (KindOfPath(source) != PathKind::kRegular) return TransferOutcome::kMissing;
  if (store.IsAlreadyOpen(source)) return TransferOutcome::kAlreadyOpen;
  switch (ClassifyLibraryFile(source)) {
    case LibraryFileKind::kEnciphered: return TransferOutcome::kEnciphered;
    case LibraryFileKind::kNotLibrary: return TransferOutcome::kNoNodes;
    default: return TransferOutcome::kDone;
  }
}

}  // namespace

ImportResult ImportLibrary(WorkClaim claim, NodeStore& store, TreeModel& model,
                           const std::u16string& source, const TransferOptions& options) {
  ImportResult result;
  result.outcome = claim ? CheckImportSource(store, model, source) : TransferOutcome::kBusy;
  if (result.outcome != TransferOutcome::kDone) return result;
  result.outcome = TransferOutcome::kFailed;

  Db& dst = store.db();
  Db src([&dst](const std::u16string& m) { dst.Report(m); });
  if (!OpenThroughCipher(src, source)) return result;
  // One read transaction for the whole copy: outside one, every statement
  // takes the file's lock afresh and reads its first page again.
  src.Exec(kSqlBegin);
  TreeRows tree;
  LoadReport skipped;
  const TreeRead read = ReadTree(src, &tree, &skipped);
  result.rows_skipped = skipped.hidden_rows;
  if (read != TreeRead::kRead || tree.folders.empty()) {
    const bool locked = read == TreeRead::kFailed &&
                        OutcomeOfFailure(src.last_error()) == OpenOutcome::kAlreadyOpen;
    result.outcome = locked ? TransferOutcome::kAlreadyOpen : TransferOutcome::kNoNodes;
    return result;
  }
  if (options.batched && !(dst.Exec(kSqlJournalInMemory) && dst.Exec(kSqlBegin))) {
    dst.Exec(kSqlJournalOff);
    return result;
  }
  Importer importer(store, model, options, &result);
  importer.Copy(src, tree);
  src.Close();
  importer.Finish();
  return result;
}

// --- Export ----------------------------------------------------------------------

namespace {

// The node `id` among `folders` (a folder, or a book with its folder);
// nullptr when the tree read from the file does not show it.
const TreeRow* FindBranch(const std::vector<TreeRow>& folders, int id, const TreeRow** folder) {
  for (const TreeRow& f : folders) {
    *folder = &f;
    if (f.id == id) return &f;
    for (const TreeRow& b : f.children) {
      if (b.id == id) return &b;
    }
  }
  return nullptr;
}

// The rows of the branch into `out`; false at the first failure (reported).
// Children keep their ids and their orders.
bool CopyBranch(Db& in, Db& out, int id, const std::optional<std::string>& own_page,
                const ProgressSink& sink, int* rows_written) {
  TreeRows tree;
  const TreeRow* folder = nullptr;
  const TreeRow* node = nullptr;
  if (ReadTree(in, &tree, nullptr) != TreeRead::kRead ||
      !(node = FindBranch(tree.folders, id, &folder))) {
    return false;
  }
  RowInserter insert(out);
  PageReader pages(in, tree.rowid_name);
  if (!insert || !pages) return false;
  // The folder's own page is not exported with a book.
  if (!insert.Insert({folder->id, 0, 0, folder->title}, nullptr)) return false;
  ++*rows_written;
  if (node != folder) {
    if (!insert.Insert({node->id, folder->id, 0, node->title}, nullptr)) return false;
    ++*rows_written;
  }
  if (own_page && !own_page->empty()) {
    Statement store = out.Prepare(FormatSql16(kSqlExportStorePage, {id}));
    if (!(store && store.BindPage(1, *own_page) && store.Run())) return false;
  }
  Progress progress(sink, static_cast<int>(node->children.size()));
  for (const TreeRow& child : node->children) {
    if (!CopyRow(insert, pages, {child.id, id, child.order, child.title}, child)) return false;
    ++*rows_written;
    for (const TreeRow& file : child.children) {
      if (!CopyRow(insert, pages, {file.id, child.id, file.order, file.title}, file)) return false;
      ++*rows_written;
    }
    progress.Advance();
  }
  return true;
}

// Writes the new library of an export at `path` (an empty file): keyed
// with `password` (none when empty) before its first page is written, so no
// page of an enciphered library's export ever reaches the disk in the clear.
bool WriteExport(Db& in, const std::u16string& path, const std::u16string& password,
                 const ModelItem& node, const std::optional<std::string>& own_page,
                 const TransferOptions& options, int* rows_written) {
  Db out([&in](const std::u16string& m) { in.Report(m); });
  bool ok = OpenWithPassword(out, path, password) && out.Exec(kSqlCreateExportTarget);
  if (ok && options.batched) ok = out.Exec(kSqlBegin);
  // One read transaction on the library for the whole copy, as for import.
  const bool reading = ok && !InTransaction(in) && in.Exec(kSqlBegin);
  if (ok) ok = CopyBranch(in, out, node.id(), own_page, options.progress, rows_written);
  if (reading) EndTransaction(in, true);
  if (ok && options.batched) ok = out.Exec(kSqlCommit);
  out.Close();
  return ok;
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
  // Written into a file of its own beside the target and put in its place
  // only once complete: a failure (a full disk, say) leaves a file that was
  // there as it was. What a killed export left there goes first.
  RemoveLeftovers(target, kExportTag);
  ReplacementFile file;
  std::string error;
  if (!file.Create(target, ReplaceRules{kExportTag, store.current_path()}, &error)) {
    in.Report(Utf8ToUtf16(error));
    return result;
  }
  file.HandOver();
  const bool enciphered = store.encrypted() && !store.password().empty();
  bool ok = WriteExport(in, file.temporary(), enciphered ? store.password() : u"", *node,
                        own_page, options, &result.rows_written);
  if (ok && !file.Commit(&error)) {
    in.Report(Utf8ToUtf16(error));
    ok = false;
  }
  if (!ok) {
    result.rows_written = 0;  // the temporary goes with `file`
    return result;
  }
  result.enciphered = enciphered;
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
  if (KindOfPath(path) != PathKind::kRegular) {
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
