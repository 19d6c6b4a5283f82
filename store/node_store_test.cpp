#include "store/node_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "store/cipher_test_library.h"
#include "store/library_fixture.h"
#include "store/tree_ops.h"
#include "tools/testing/sqlite_shell.h"

namespace lw {
namespace {

using testing::Describe;
using testing::Row;
namespace fs = std::filesystem;

const std::vector<Row> kSmall = {
    {100, 0, 0, "Folder", {}}, {202, 100, 0, "Book", "{\\rtf1 b}"}, {314, 202, 0, "Fav", {}}};

class NodeStoreTest : public testing::LibraryTest {
 protected:
  std::u16string Library(const std::string& name, int version = 1) {
    std::u16string path = dir_.File16(name);
    testing::WriteLibrary(path, kSmall, version);
    return path;
  }
};

TEST_F(NodeStoreTest, NewLibraryReplacesAFileAndKeepsItLocked) {
  const fs::path file = dir_.File("New library.db");
  std::ofstream(file) << "whatever was here";
  const OpenResult r = store_.NewLibrary(file.u16string(), model_);
  ASSERT_EQ(r.outcome, OpenOutcome::kOpened) << log_.text();
  EXPECT_EQ(r.page.what, ShownPage::What::kInformation);
  EXPECT_EQ(model_.selected(), model_.library_root());
  EXPECT_EQ(model_.favourites_root()->text(), u"Favorites");
  EXPECT_EQ(model_.library_root()->text(), u"New library.db");
  EXPECT_EQ(store_.format_version(), 1);

  NodeStore other(log_.sink());  // the creating connection keeps the file
  EXPECT_EQ(other.OpenLibraryNow(file.u16string(), model_).outcome, OpenOutcome::kAlreadyOpen);
  store_.Close(model_, true);
  EXPECT_TRUE(model_.empty());
  EXPECT_TRUE(log_.empty()) << log_.text();

  // A file that may not be replaced is left whole, and nothing is open.
  const fs::path kept = dir_.File("kept.db");
  std::ofstream(kept) << "somebody's notes";
  fs::permissions(kept, fs::perms::owner_read);
  EXPECT_EQ(store_.NewLibrary(kept.u16string(), model_).outcome, OpenOutcome::kFailed);
  EXPECT_NE(log_.text().find("kept.db"), std::string::npos) << log_.text();
  EXPECT_FALSE(store_.library_open());
  std::ifstream in(kept);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "somebody's notes");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2)
      << "no temporary is left beside it";
  log_.clear();
#ifndef _WIN32
  if (testing::HaveSqliteShell()) {
    EXPECT_EQ(testing::RunSqliteShell(file, "PRAGMA user_version; PRAGMA page_size; SELECT"
                                            " group_concat(name) FROM sqlite_master; SELECT"
                                            " count(*) FROM tab;"),
              "1\n4096\ntab\n0\n");
  }
#endif
}

TEST_F(NodeStoreTest, OpeningStampsVersionZeroAndChangesNoRow) {
  const std::u16string path = Library("old.db", 0);
  ASSERT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kOpened) << log_.text();
  EXPECT_EQ(store_.format_version(), 1);
  EXPECT_FALSE(store_.busy());
  // A favourite file is listed twice: under its book and in the list.
  EXPECT_EQ(Describe(model_.library_root()), "Folder{Book{Fav*}}");
  EXPECT_EQ(Describe(model_.favourites_root()), "Fav*");
  store_.Close(model_, true);
  EXPECT_EQ(testing::ReadRows(path), kSmall);
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(db.FormatVersion(), 1);
}

// Opening changes nothing but the version of a library, and a file that is
// not a library (or is damaged) gets no stamp either.
TEST_F(NodeStoreTest, FilesThatAreNotLibrariesAreLeftAsTheyAre) {
  const fs::path text = dir_.File("notes.db"), empty = dir_.File("empty.db"),
                 other = dir_.File("other.db"), cut = dir_.File("truncated.db");
  std::ofstream(text) << "These are not the pages you are looking for.";
  std::ofstream{empty};
  {
    Db db(log_.sink());
    ASSERT_TRUE(db.Open(other.u16string()) && db.Exec("CREATE TABLE t (x)"));
  }
  std::vector<Row> rows;
  for (int n = 1; n <= 200; ++n) rows.push_back({n * 100, 0, n, "F", std::string(2000, 'r')});
  testing::WriteLibrary(cut.u16string(), rows, 0);
  fs::resize_file(cut, fs::file_size(cut) / 2);

  for (const auto& [path, outcome, message] :
       {std::tuple{text, OpenOutcome::kNotLibrary, ""},
        std::tuple{empty, OpenOutcome::kNotLibrary, ""},
        std::tuple{other, OpenOutcome::kNotLibrary, "not a Lorewell library: it has no table tab"},
        std::tuple{cut, OpenOutcome::kDamaged, "database disk image is malformed"}}) {
    SCOPED_TRACE(path.string());
    const std::string before = testing::ReadBytes(path);
    log_.clear();
    EXPECT_EQ(store_.OpenLibraryNow(path.u16string(), model_).outcome, outcome);
    EXPECT_EQ(log_.empty() ? "" : log_.messages().back(), message);
    EXPECT_FALSE(store_.library_open());
    store_.CancelDecryption();
    EXPECT_EQ(testing::ReadBytes(path), before);
  }
  // A file whose bytes are no library does not close the one that is open.
  ASSERT_EQ(store_.OpenLibraryNow(Library("open.db"), model_).outcome, OpenOutcome::kOpened);
  EXPECT_EQ(store_.OpenLibraryNow(text.u16string(), model_).outcome, OpenOutcome::kNotLibrary);
  EXPECT_TRUE(store_.library_open());
  EXPECT_EQ(Describe(model_.library_root()), "Folder{Book{Fav*}}");
  store_.Close(model_, false);

  const std::u16string missing = dir_.File16("missing.db");
  EXPECT_EQ(store_.OpenLibraryNow(missing, model_).outcome, OpenOutcome::kMissing);
  EXPECT_FALSE(fs::exists(fs::path(missing)));
  const std::u16string too_long = dir_.File16(std::string(300, 'x') + ".db");
  EXPECT_EQ(store_.OpenLibraryNow(too_long, model_).outcome, OpenOutcome::kPathTooLong);
  EXPECT_EQ(store_.NewLibrary(too_long, model_).outcome, OpenOutcome::kPathTooLong);
}

// A file that does not begin with "SQLite" is offered the password through
// the key hook; when the probe still fails the connection waits for the
// password, and trying again is not refused as "already open".
TEST_F(NodeStoreTest, EncipheredFileWaitsForItsPassword) {
  const std::u16string path = dir_.File16("secret.db");
  std::ofstream(fs::path(path), std::ios::binary) << testing::NoiseBytes(4096);
  std::vector<std::u16string> keys;
  store_.SetKeyHook([&](Db&, const std::u16string& password) {
    keys.push_back(password);
    return true;
  });
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kNeedsPassword);
  store_.set_password(u"parola");
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kNeedsPassword);
  EXPECT_TRUE(store_.decryption_pending());
  EXPECT_EQ(store_.OpenLibraryNow(Library("plain.db"), model_).outcome, OpenOutcome::kOpened);
  EXPECT_EQ(keys, std::vector<std::u16string>{u"parola"});  // a plain file gets no key
  EXPECT_FALSE(store_.decryption_pending());
}

// The real page cipher behind the default key hook: the library opens only
// with its password, and a wrong one leaves it waiting, unchanged.
TEST_F(NodeStoreTest, EncipheredLibraryOpensWithItsPasswordOnly) {
  const std::u16string path = dir_.File16("locked.db");
  testing::MakeLibrary(path, u"țară-bună", 3);
  const std::string before = testing::ReadBytes(fs::path(path));
  ASSERT_NE(before.substr(0, 6), "SQLite");

  store_.set_password(u"greșită");
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kNeedsPassword);
  EXPECT_TRUE(store_.encrypted());
  store_.CancelDecryption();
  EXPECT_EQ(testing::ReadBytes(fs::path(path)), before);

  store_.set_password(u"țară-bună");
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kOpened);
  EXPECT_TRUE(store_.encrypted());
  EXPECT_EQ(store_.db().CountNodes(), 3);
}

TEST_F(NodeStoreTest, AlreadyOpenLeavesEverythingAsItWas) {
  const std::u16string path = Library("one.db");
  ASSERT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kOpened);
  const ModelItem* root = model_.library_root();
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kAlreadyOpen);
  EXPECT_EQ(store_.NewLibrary(path, model_).outcome, OpenOutcome::kAlreadyOpen);

  // Held by a connection that locks it (as a library being created is).
  const std::u16string held = dir_.File16("held.db");
  Db holder(log_.sink());
  ASSERT_TRUE(holder.CreateLibrary(held));
  EXPECT_EQ(store_.OpenLibraryNow(held, model_).outcome, OpenOutcome::kAlreadyOpen);
  holder.Close();
  EXPECT_FALSE(store_.IsAlreadyOpen(held));

  // The Windows layer's sharing check decides as well.
  store_.SetExclusiveReadCheck([](const std::u16string&) { return false; });
  EXPECT_EQ(store_.OpenLibraryNow(Library("two.db"), model_).outcome, OpenOutcome::kAlreadyOpen);
  EXPECT_EQ(model_.library_root(), root);
  EXPECT_EQ(store_.current_path(), path);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(NodeStoreTest, BusyFlagIsTakenBeforeTheWorkerStarts) {
  const std::u16string path = Library("lib.db");
  WorkClaim claim = store_.ClaimWork();
  ASSERT_TRUE(claim);
  std::thread worker([&, c = std::move(claim)]() mutable {
    store_.OpenLibrary(std::move(c), path, model_);
  });
  // Whether or not the worker has begun, a second request is refused.
  EXPECT_FALSE(store_.ClaimWork());
  EXPECT_EQ(store_.NewLibrary(dir_.File16("new.db"), model_).outcome, OpenOutcome::kBusy);
  worker.join();
  EXPECT_FALSE(store_.busy());
  EXPECT_TRUE(store_.library_open());
}

TEST_F(NodeStoreTest, ReopeningSelectsTheNodeSelectedLast) {
  const std::u16string path = Library("lib.db");
  ASSERT_EQ(store_.OpenLibraryNow(path, model_).outcome, OpenOutcome::kOpened);
  SelectItem(store_, model_, model_.ItemOf(314));
  EXPECT_EQ(store_.memory().last_node_id, 314);
  store_.Close(model_, false);

  // The next start: the settings file names this library.
  store_.memory().last_library_path = path;
  const OpenResult r = store_.OpenLibraryNow(path, model_);
  EXPECT_EQ(r.page, (ShownPage{ShownPage::What::kPage, 314}));
  EXPECT_EQ(model_.selected_id(), 314);
  store_.Close(model_, false);
  {
    Db db(log_.sink());
    ASSERT_TRUE(db.Open(path) && db.Exec("DELETE FROM tab WHERE id = 314"));
  }
  store_.memory().last_library_path = path;
  EXPECT_EQ(store_.OpenLibraryNow(path, model_).page.what, ShownPage::What::kNothing);
  EXPECT_EQ(model_.selected(), nullptr);
  store_.Close(model_, true);
  EXPECT_EQ(store_.memory().last_node_id, 0);
  EXPECT_EQ(store_.memory().last_library_path, u"");
}

}  // namespace
}  // namespace lw
