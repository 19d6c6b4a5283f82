#include "store/transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "store/cipher_test_library.h"
#include "store/cipher_vfs.h"
#include "store/library_fixture.h"

namespace lw {
namespace {

using testing::ReadBytes;
using testing::ReadRows;
using testing::Row;
using testing::RowsById;
using testing::WriteLibrary;

// Fails the `nth` operation `op` on files whose name holds `name`: a disk
// that fills up then. (Pages already in the file can still be written back,
// as on a full disk, so the later ones succeed.)
class DiskFull {
 public:
  DiskFull(CipherIo op, std::string name, int nth) {
    SetCipherFaultHook([this, op, name, nth](CipherIo o, const char* path) {
      if (o != op || !path || !std::strstr(path, name.c_str())) return false;
      return ++seen_ == nth && (fired_ = true);
    });
  }
  ~DiskFull() { SetCipherFaultHook(nullptr); }
  bool fired() const { return fired_; }

 private:
  int seen_ = 0;
  bool fired_ = false;
};

std::optional<std::string> Page(const std::string& bytes) { return bytes; }

// Folders in "ORDER BY i" order, ties in table order, as the tree reads them.
std::vector<Row> Folders(const std::vector<Row>& rows) {
  std::vector<Row> f;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(f), [](const Row& r) { return r.p == 0; });
  std::stable_sort(f.begin(), f.end(), [](const Row& a, const Row& b) { return a.i < b.i; });
  return f;
}

class TransferTest : public testing::LibraryTest {
 protected:
  std::u16string Source(const std::vector<Row>& rows, const std::string& name = "sursă.db") {
    const std::u16string path = dir_.File16(name);
    WriteLibrary(path, rows);
    return path;
  }
  ImportResult Import(const std::u16string& source, TransferOptions options = {}) {
    options.seed = 7;
    return ImportLibrary(store_.ClaimWork(), store_, model_, source, options);
  }
  ExportResult Export(int id, const std::u16string& target,
                      const std::optional<std::string>& own_page = std::nullopt) {
    return ExportBranch(store_.ClaimWork(), store_, model_.ItemOf(id), target, own_page);
  }
  const std::vector<Row> existing_ = {{100, 0, 0, "A", std::nullopt},
                                      {200, 0, 1, "B", std::nullopt},
                                      {302, 200, 0, "B1", Page("x")}};
};

// --- Import ------------------------------------------------------------------------

TEST_F(TransferTest, ImportOfTwoFoldersAddsThreeAtTheEndWithNewIdsAndOrders) {
  Open(existing_);
  // Table order differs from "ORDER BY i"; a favourite book, a page without
  // its terminating zero and a NULL page must come across unchanged.
  const std::u16string source = Source({{500, 0, 1, "F2", std::nullopt},
                                        {300, 0, 0, "F1", Page(std::string("fp\0", 3))},
                                        {412, 300, 0, "Fav`", Page("bk")},
                                        {604, 412, 1, "f2", Page(std::string("raw\0tail", 8))},
                                        {704, 412, 0, "f1", std::nullopt},
                                        {804, 999, 0, "orphan", std::nullopt}});
  std::vector<int> progress;
  TransferOptions options;
  options.progress = [&](int p) { progress.push_back(p); };
  const ImportResult r = Import(source, options);

  ASSERT_EQ(r.outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_EQ(r.rows_added, 6);
  EXPECT_EQ(progress, (std::vector<int>{0, 50, 100}));
  EXPECT_FALSE(store_.busy());
  EXPECT_EQ(testing::Describe(model_.library_root()), "A,B{B1},--separator--,F1{Fav`{f1,f2}},F2");

  const std::vector<Row> rows = ReadRows(path_);
  std::vector<std::string> folders;  // as stored: order and title
  for (const Row& f : Folders(rows)) folders.push_back(std::to_string(f.i) + " " + f.title);
  EXPECT_EQ(folders, (std::vector<std::string>{"0 A", "1 B", "2 --separator--", "3 F1", "4 F2"}));
  std::set<int> numbers;
  std::map<std::string, Row> by;
  for (const Row& row : rows) {
    EXPECT_TRUE(IsValidNodeId(row.id) && !IsFavourite(row.id)) << row;
    EXPECT_TRUE(numbers.insert(NodeNumber(row.id)).second) << row;
    by[row.title] = row;
  }
  EXPECT_TRUE(IsBook(by["Fav`"].id));
  EXPECT_EQ(std::tuple(by["Fav`"].p, by["f1"].p, by["f1"].i, by["f2"].i), std::tuple(by["F1"].id, by["Fav`"].id, 0, 1));
  EXPECT_EQ(by["F1"].page, Page(std::string("fp\0", 3)));
  EXPECT_EQ(by["f1"].page, std::nullopt);
  EXPECT_EQ(by["f2"].page, Page(std::string("raw\0tail", 8)));
  EXPECT_EQ(model_.index().size(), 9u);
  testing::ExpectRowidsOfRows(model_, path_);
}

// Each refusal adds nothing and has its message.
TEST_F(TransferTest, ImportRefusesTheOpenLibraryAnEncipheredFileNoFoldersAndABusyStore) {
  Open(existing_);
  testing::MakeLibrary(dir_.File16("secret.db"), u"parola1", 3);
  const std::tuple<std::u16string, TransferOutcome, int> kRefused[] = {
      {path_, TransferOutcome::kSameFile, 31},
      {dir_.File16(".") + u"/lib1.db", TransferOutcome::kSameFile, 31},  // another spelling
      {dir_.File16("secret.db"), TransferOutcome::kEnciphered, 19},
      {Source({}, "goală.db"), TransferOutcome::kNoNodes, 30},
      {Source({{204, 7, 0, "orphan", std::nullopt}}, "orfan.db"), TransferOutcome::kNoNodes, 30}};
  for (const auto& [source, outcome, message] : kRefused) {
    EXPECT_EQ(Import(source).outcome, outcome) << Utf16ToUtf8(source);
    EXPECT_EQ(TransferMessage(outcome, true), message);
  }
  WorkClaim held = store_.ClaimWork();
  EXPECT_EQ(ImportLibrary(store_.ClaimWork(), store_, model_, Source({{300, 0, 0, "F", {}}})).outcome,
            TransferOutcome::kBusy);
  held.Release();
  EXPECT_EQ(ReadRows(path_).size(), existing_.size());
  EXPECT_EQ(testing::Describe(model_.library_root()), "A,B{B1}");
}

// A source written by another program, with plain SQL.
std::u16string RawSource(const testing::TempDir& dir, const std::string& name,
                         const std::string& sql) {
  const std::u16string path = dir.File16(name);
  Db db(nullptr);
  EXPECT_TRUE(db.Open(path) && db.Exec(sql)) << sql;
  return path;
}

// The import takes what the source's tree shows, nothing else: rows whose
// id is NULL or a text (which must not hide the folder of the number it
// starts with), orphans and repeated numbers are left out and counted.
// Titles holding a NUL or an apostrophe and a page stored as TEXT come
// across whole.
TEST_F(TransferTest, ImportCopiesExactlyTheRowsTheSourceTreeShows) {
  Open(existing_);
  const std::u16string source = RawSource(dir_, "străin.db",
      "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);"
      "INSERT INTO tab VALUES ('100x', 0, 0, 'text id', NULL);"
      "INSERT INTO tab VALUES (100, 0, 1, 'it''s' || char(0) || 'F', x'7b7d00');"
      "INSERT INTO tab VALUES (NULL, 0, 2, 'null id', NULL);"
      "INSERT INTO tab VALUES (202, 100, 0, 'B', NULL);"
      "INSERT INTO tab VALUES (304, 202, 0, 'x', 'a page kept as text');"
      "INSERT INTO tab VALUES (404, 9999, 0, 'orphan', NULL);"
      "INSERT INTO tab VALUES (104, 202, 1, 'number of F', NULL);"
      "INSERT INTO tab VALUES (502, '0', 3, 'p as text', NULL);");
  const ImportResult r = Import(source);
  ASSERT_EQ(r.outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_EQ(r.rows_added, 4);  // the separator, F, B, x
  EXPECT_EQ(r.rows_skipped, 5);
  const std::string f_title("it's\0F", 6);
  EXPECT_EQ(testing::Describe(model_.library_root()), "A,B{B1},--separator--," + f_title + "{B{x}}");
  std::map<std::string, Row> by_title;
  for (const Row& row : ReadRows(path_)) by_title[row.title] = row;
  ASSERT_TRUE(by_title.count(f_title));
  EXPECT_EQ(by_title[f_title].page, Page(std::string("{}\0", 3)));
  EXPECT_EQ(by_title["x"].page, Page("a page kept as text"));
  Statement text = store_.db().Prepare(u"SELECT r FROM tab WHERE t = 'x'");
  ASSERT_TRUE(text.Step());
  EXPECT_EQ(text.ColumnPage(0), "a page kept as text");  // read whole, not cut at a zero
}

// Columns are found by name; a "tab" that is no table of rows is refused
// before any row is read (a recursive view would never end), and the open
// library is left as it was.
TEST_F(TransferTest, ImportReadsColumnsByNameAndRefusesWhatIsNoTable) {
  Open(existing_);
  const std::u16string reordered = RawSource(dir_, "reordered.db",
      "CREATE TABLE tab (r BLOB, extra TEXT, t TEXT, i INTEGER, rowid TEXT, p INTEGER, id INTEGER);"
      "INSERT INTO tab VALUES (x'706700', 'more', 'F', 0, 'mine', 0, 700);"
      "INSERT INTO tab VALUES (NULL, NULL, 'b', 0, NULL, 700, 802)");
  ASSERT_EQ(Import(reordered).outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_EQ(testing::Describe(model_.library_root()), "A,B{B1},--separator--,F{b}");
  const std::size_t rows = ReadRows(path_).size();

  for (const auto& [name, sql, message] : {
           std::tuple{"recursive.db",
                      "CREATE VIEW tab (id, p, i, t, r) AS WITH RECURSIVE n(x) AS "
                      "(SELECT 1 UNION ALL SELECT x + 1 FROM n) SELECT x * 100, 0, x, 'f', NULL FROM n",
                      "not a Lorewell library: its tab is a view, not a table"},
           std::tuple{"no_r.db", "CREATE TABLE tab (id, p, i, t); INSERT INTO tab VALUES (100, 0, 0, 'f')",
                      "not a Lorewell library: its table tab has no column r"},
           std::tuple{"no_rowid.db",
                      "CREATE TABLE tab (id INTEGER PRIMARY KEY, p, i, t, r) WITHOUT ROWID;"
                      "INSERT INTO tab VALUES (100, 0, 0, 'f', NULL)",
                      "not a Lorewell library: its table tab has no rowids"}}) {
    SCOPED_TRACE(name);
    log_.clear();
    EXPECT_EQ(Import(RawSource(dir_, name, sql)).outcome, TransferOutcome::kNoNodes);
    EXPECT_EQ(log_.empty() ? "" : log_.messages().back(), message);
    EXPECT_EQ(ReadRows(path_).size(), rows);
  }
}

TEST_F(TransferTest, ImportStopsAtTheNodeLimitAndKeepsWhatWasCopied) {
  // 32,766 numbers taken: the separator and one folder still fit.
  std::vector<Row> full = {{100, 0, 0, "F", std::nullopt}, {202, 100, 0, "B", std::nullopt}};
  for (int n = 3; n <= kMaxNodeNumber - 2; ++n) full.push_back({n * 100 + 4, 202, n, "f", {}});
  const std::u16string source = Source({{300, 0, 0, "X", {}}, {400, 0, 1, "Y", {}}});
  Open(full);

  TransferOptions all_or_nothing;
  all_or_nothing.keep_partial = false;
  EXPECT_EQ(Import(source, all_or_nothing).outcome, TransferOutcome::kNodeLimit);
  EXPECT_EQ(testing::Describe(model_.library_root()).substr(0, 4), "F{B{");
  EXPECT_EQ(Folders(ReadRows(path_)).size(), 1u);

  const ImportResult r = Import(source);
  EXPECT_EQ(r.outcome, TransferOutcome::kNodeLimit);
  EXPECT_EQ(TransferMessage(r.outcome, true), 24);
  EXPECT_EQ(r.rows_added, 2);
  const std::vector<Row> folders = Folders(ReadRows(path_));
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[1].title, "--separator--");
  EXPECT_EQ(folders[2].title, "X");
  EXPECT_EQ(folders[2].i, 2);
}

// The open library is enciphered here so that its file goes through the
// cipher layer, where the disk can be made to fail.
class TransferFaultTest : public TransferTest {
 protected:
  void SetUp() override {
    path_ = dir_.File16("cifrat.db");
    testing::MakeLibrary(path_, u"parola1", 40);
    store_.set_password(u"parola1");
    ASSERT_EQ(store_.OpenLibraryNow(path_, model_).outcome, OpenOutcome::kOpened) << log_.text();
    before_ = testing::DumpWith(path_, u"parola1");
    tree_ = testing::Describe(model_.library_root());
    std::vector<Row> rows;
    for (int f = 1; f <= 60; ++f) {
      // Pages on overflow pages, which only the copy reads.
      rows.push_back({f * 100, 0, f, "folder", Page(std::string(9000, 'a' + f % 26))});
      rows.push_back({f * 100 + 90002, f * 100, 0, "book", Page(std::string(9000, 'b'))});
    }
    source_ = Source(rows);
  }

  std::string before_;
  std::string tree_;
  std::u16string source_;
};

TEST_F(TransferFaultTest, ADiskThatFillsUpHalfWayLeavesTheOpenLibraryAsItWas) {
  for (CipherIo op : {CipherIo::kWrite, CipherIo::kSync}) {
    for (int nth : {1, 5, 20}) {
      ImportResult r;
      {
        DiskFull full(op, "cifrat.db", nth);
        r = Import(source_);
        if (!full.fired()) continue;
      }
      EXPECT_EQ(r.outcome, TransferOutcome::kFailed);
      EXPECT_EQ(r.rows_added, 0);
      EXPECT_EQ(testing::DumpWith(path_, u"parola1"), before_) << "fault at " << nth;
      EXPECT_EQ(testing::Describe(model_.library_root()), tree_);
      EXPECT_FALSE(log_.empty());
      log_.clear();
    }
  }
}

// --- Export ------------------------------------------------------------------------

// A book goes with its folder (title only) and its files; a folder with
// every level. Ids, orders, titles and pages are kept; the editor's text
// stands for the book's own page.
TEST_F(TransferTest, AnExportKeepsIdsOrdersAndPagesWithTheFolderOfABook) {
  Open({{100, 0, 3, "F", Page("folder page")},
        {202, 100, 2, "B", Page("bp")},
        {1104, 202, 0, "x", Page("xp")},
        {302, 100, 1, "C", Page("stored")},
        {604, 302, 5, "last", Page("p604")},
        {404, 302, 0, "first", Page(std::string("p\0x", 3))},
        {514, 302, 1, "fav", std::nullopt},
        {900, 0, 0, "other", std::nullopt}});
  const std::u16string book = dir_.File16("carte.db");
  testing::WriteBytes(dir_.File("carte.db"), "an older file");
  std::vector<int> progress;
  TransferOptions options;
  options.progress = [&](int p) { progress.push_back(p); };
  const ExportResult r = ExportBranch(store_.ClaimWork(), store_, model_.ItemOf(302), book,
                                      std::string("edited"), options);
  ASSERT_EQ(r.outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_EQ(r.rows_written, 5);
  EXPECT_FALSE(r.enciphered);
  EXPECT_EQ(progress, (std::vector<int>{0, 33, 66, 100}));
  EXPECT_EQ(ReadRows(book), (std::vector<Row>{{100, 0, 0, "F", std::nullopt},
                                              {302, 100, 0, "C", Page(std::string("edited\0", 7))},
                                              {404, 302, 0, "first", Page(std::string("p\0x", 3))},
                                              {514, 302, 1, "fav", std::nullopt},
                                              {604, 302, 5, "last", Page("p604")}}));

  const std::u16string folder = dir_.File16("dosar.db");
  ASSERT_EQ(Export(100, folder).outcome, TransferOutcome::kDone) << log_.text();
  const auto rows = RowsById(folder);
  EXPECT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows.at(100), (Row{100, 0, 0, "F", std::nullopt}));
  EXPECT_EQ(rows.at(202), (Row{202, 100, 2, "B", Page("bp")}));
  EXPECT_EQ(rows.at(1104), (Row{1104, 202, 0, "x", Page("xp")}));
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(folder));
  EXPECT_EQ(db.FormatVersion(), 1);
}

TEST_F(TransferTest, AnEncipheredLibraryExportsUnderTheSamePassword) {
  path_ = dir_.File16("cifrat.db");
  testing::MakeLibrary(path_, u"parola1", 6);  // one folder 100's books
  {
    Db db(log_.sink());
    ASSERT_TRUE(OpenWithPassword(db, path_, u"parola1"));
    // Book 102 would repeat the folder's number.
    ASSERT_TRUE(db.Exec("PRAGMA journal_mode = off; INSERT INTO tab VALUES (100, 0, 0, 'F', null);"
                        "DELETE FROM tab WHERE id = 102"));
  }
  store_.set_password(u"parola1");
  ASSERT_EQ(store_.OpenLibraryNow(path_, model_).outcome, OpenOutcome::kOpened) << log_.text();
  const std::u16string target = dir_.File16("export.db");
  const ExportResult r = Export(100, target);
  ASSERT_EQ(r.outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_TRUE(r.enciphered);
  EXPECT_EQ(ClassifyLibraryFile(target), LibraryFileKind::kEnciphered);
  EXPECT_FALSE(testing::ReadableWith(target, u""));
  EXPECT_EQ(testing::DumpWith(target, u"parola1"), testing::DumpWith(path_, u"parola1"));
}

TEST_F(TransferTest, ExportRefusalsAndFailuresLeaveNoFileAndTheLibraryAsItWas) {
  Open({{100, 0, 0, "F", std::nullopt},
        {202, 100, 0, "B", std::nullopt},
        {302, 100, 1, "C", std::nullopt},
        {404, 302, 0, "x", Page(std::string(9000, 'z'))},
        {504, 302, 1, "y", Page(std::string(9000, 'y'))}});
  const std::vector<Row> before = ReadRows(path_);
  EXPECT_EQ(Export(100, path_).outcome, TransferOutcome::kSameFile);
  EXPECT_EQ(TransferMessage(TransferOutcome::kSameFile, false), 32);
  EXPECT_EQ(Export(202, dir_.File16("a.db")).outcome, TransferOutcome::kNotBranch);  // no files
  EXPECT_EQ(Export(404, dir_.File16("a.db")).outcome, TransferOutcome::kNotBranch);  // a file
  EXPECT_EQ(Export(100, dir_.File16("nu există/a.db")).outcome, TransferOutcome::kFailed);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("a.db")));

  // A full disk half-way: an export there before is left whole, and no
  // partial file stays beside it.
  const std::string older = "an export made earlier";
  testing::WriteBytes(dir_.File("plin.db"), older);
  for (CipherIo op : {CipherIo::kWrite, CipherIo::kSync}) {
    DiskFull full(op, "plin.db", 2);
    EXPECT_EQ(Export(302, dir_.File16("plin.db")).outcome, TransferOutcome::kFailed);
    EXPECT_TRUE(full.fired());
    EXPECT_EQ(ReadBytes(dir_.File("plin.db")), older);
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().extension(), ".db") << entry.path();
  }
  EXPECT_EQ(ReadRows(path_), before);
  EXPECT_FALSE(store_.busy());
}

// --- Conversion --------------------------------------------------------------------

TEST_F(TransferTest, ConversionTurnsLegacyDigitsIntoCurrentOnesAndRenamesTheFile) {
  const std::u16string legacy = dir_.File16("vechi.idb");
  WriteLibrary(legacy, {{100, 0, 0, "F", Page("fp")},
                        {201, 100, 0, "B", std::nullopt},
                        {302, 201, 0, "f", std::nullopt},
                        {1201, 100, 1, "B2", std::nullopt},
                        {1302, 1201, 0, "f2", std::nullopt}},
               0);
  NodeStore flag(nullptr);
  const ConvertResult r = ConvertLegacyLibrary(flag.ClaimWork(), legacy, log_.sink());
  ASSERT_EQ(r.outcome, TransferOutcome::kDone) << log_.text();
  EXPECT_EQ(r.new_path, dir_.File16("vechi.db"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("vechi.idb")));
  EXPECT_EQ(ReadRows(r.new_path), (std::vector<Row>{{100, 0, 0, "F", Page("fp")},
                                                    {202, 100, 0, "B", std::nullopt},
                                                    {304, 202, 0, "f", std::nullopt},
                                                    {1202, 100, 1, "B2", std::nullopt},
                                                    {1304, 1202, 0, "f2", std::nullopt}}));
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(r.new_path));
  EXPECT_EQ(db.FormatVersion(), 1);
  // Only the extension changes.
  EXPECT_EQ(ConvertedPath(u"C:\\a.idb\\Note.IDB"), u"C:\\a.idb\\Note.db");
  EXPECT_EQ(ConvertedPath(u"/x/lib.db"), u"/x/lib.db");
}

TEST_F(TransferTest, ConversionIsAllOrNothing) {
  const std::u16string legacy = dir_.File16("vechi.idb");
  std::vector<Row> rows;
  for (int n = 1; n <= 300; ++n) rows.push_back({n * 100 + 2, 1, n, "f", Page(std::string(900, 'q'))});
  WriteLibrary(legacy, rows, 0);
  const std::string original = ReadBytes(dir_.File("vechi.idb"));
  NodeStore flag(nullptr);
  for (int nth : {1, 3, 40}) {
    DiskFull full(CipherIo::kWrite, "vechi.idb", nth);
    EXPECT_EQ(ConvertLegacyLibrary(flag.ClaimWork(), legacy, log_.sink()).outcome,
              TransferOutcome::kFailed);
    EXPECT_TRUE(full.fired());
    EXPECT_TRUE(ReadBytes(dir_.File("vechi.idb")) == original) << "fault at " << nth;
  }
  EXPECT_EQ(ConvertLegacyLibrary(flag.ClaimWork(), legacy, log_.sink(),
                                 [](const std::u16string&) { return false; })
                .outcome,
            TransferOutcome::kAlreadyOpen);
  WriteLibrary(dir_.File16("vechi.db"), {});
  EXPECT_EQ(ConvertLegacyLibrary(flag.ClaimWork(), legacy, log_.sink()).outcome,
            TransferOutcome::kTargetExists);
  EXPECT_TRUE(ReadBytes(dir_.File("vechi.idb")) == original);
}

}  // namespace
}  // namespace lw
