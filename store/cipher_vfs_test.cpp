// The enciphered file format, checked on the bytes of the file, and the page
// cipher's handling of the ways SQLite reaches the file.
#include "store/cipher_vfs.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "store/cipher_rc4.h"
#include "store/cipher_sha1.h"
#include "store/cipher_test_library.h"
#include "tools/testing/error_log.h"
#include "tools/testing/sqlite_shell.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::DumpWith;
using testing::ReadBytes;

// The file with every page XORed with the first page-size bytes of the RC4
// stream of the password's key, built here from the primitives: what the
// format says the plain database is.
std::string DecipherFile(const std::string& file, const std::u16string& password, size_t page) {
  const std::string material = KeyMaterial(password);
  std::string stream(page, '\0');
  Rc4(Sha1::Of(material.data(), material.size()).data(), 16)
      .Generate(reinterpret_cast<uint8_t*>(stream.data()), page);
  std::string plain = file;
  for (size_t n = 0; n < plain.size(); ++n) plain[n] ^= stream[n % page];
  return plain;
}

int HeaderPageSize(const std::string& plain) {
  return (static_cast<uint8_t>(plain[16]) << 8) | (static_cast<uint8_t>(plain[17]) << 16);
}

sqlite3_file* MainFile(Db& db) {
  sqlite3_file* file = nullptr;
  sqlite3_file_control(db.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file);
  return file;
}

class CipherVfs : public ::testing::Test {
 protected:
  lw::testing::TempDir dir_;
  lw::testing::ErrorLog log_;
};

TEST_F(CipherVfs, EveryPageIsThePlainPageXorTheSameKeyStream) {
  const std::u16string password = u"Țara-mea-1";
  for (int page_size : {512, 4096, 65536}) {
    const std::string name = std::to_string(page_size) + ".db";
    lw::testing::MakeLibrary(dir_.File16(name), password, 12, page_size);
    const std::string file = ReadBytes(dir_.File(name));
    EXPECT_NE(file.compare(0, 6, "SQLite"), 0);
    ASSERT_EQ(file.size() % page_size, 0u);

    // Deciphered by the rule, it is a database that reads in full (and
    // natively passes the sqlite3 shell's own check).
    const std::string plain = DecipherFile(file, password, static_cast<size_t>(page_size));
    EXPECT_EQ(plain.compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
    EXPECT_EQ(HeaderPageSize(plain), page_size);
    lw::testing::WriteBytes(dir_.File("plain" + name), plain);
    const std::string rows = DumpWith(dir_.File16("plain" + name), u"");
    EXPECT_NE(rows.find("row 12 "), std::string::npos);
    EXPECT_EQ(rows, DumpWith(dir_.File16(name), password));
#ifndef _WIN32
    if (lw::testing::HaveSqliteShell()) {
      EXPECT_EQ(lw::testing::RunSqliteShell(dir_.File("plain" + name), "PRAGMA integrity_check;"),
                "ok\n");
    }
#endif
  }
}

TEST_F(CipherVfs, ReadsPastTheEndStayZeroAndTheLockBytePageStaysAsItIs) {
  const std::u16string password = u"lock-byte";
  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, dir_.File16("big.db"), password));
  sqlite3_file* file = MainFile(db);
  // An empty file must read as zeros, not as the key stream, or SQLite may
  // take the mask for a page size.
  std::string header(100, 'x');
  EXPECT_EQ(file->pMethods->xRead(file, header.data(), 100, 0), SQLITE_IOERR_SHORT_READ);
  EXPECT_EQ(header, std::string(100, '\0'));

  // SQLite never uses the page at 1 GiB; its neighbours are ciphered as any
  // page. The file is sparse.
  const int page = 4096;
  const sqlite3_int64 gib = sqlite3_int64{1} << 30;
  const std::string plain(page, 'P');
  for (sqlite3_int64 at : {gib - page, gib, gib + page}) {
    ASSERT_EQ(file->pMethods->xWrite(file, plain.data(), page, at), SQLITE_OK);
  }
  db.Close();
  std::ifstream in(dir_.File("big.db"), std::ios::binary);
  for (sqlite3_int64 at : {gib - page, gib, gib + page}) {
    std::string stored(page, '\0');
    in.seekg(at);
    in.read(stored.data(), page);
    EXPECT_EQ(stored, at == gib ? plain : DecipherFile(plain, password, page)) << at;
  }
}

TEST_F(CipherVfs, AKeyedLibraryNeverGetsAJournalOrMappedPages) {
  const std::u16string path = dir_.File16("lib.db");
  lw::testing::MakeLibrary(path, u"journal-key", 10);
  const std::string before = ReadBytes(dir_.File("lib.db"));

  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path, u"journal-key"));
  // Mapped pages would reach SQLite without being deciphered.
  ASSERT_TRUE(db.Exec("PRAGMA mmap_size = 268435456"));
  Statement s = db.Prepare(u"SELECT r FROM tab WHERE id = 702");
  ASSERT_TRUE(s.Step());
  EXPECT_EQ(s.ColumnPage(0).substr(0, 13), "{\\rtf1 row 7 ");
  s.Finalize();
  // A journal would hold pages in the clear: it is refused, and the change.
  EXPECT_FALSE(db.Exec("PRAGMA journal_mode = delete; UPDATE tab SET t = 'x'"));
  EXPECT_FALSE(db.Exec("PRAGMA journal_mode = wal; UPDATE tab SET t = 'x'"));
  db.Close();
  EXPECT_EQ(ReadBytes(dir_.File("lib.db")), before);

  // A plain library through the same layer keeps its journal.
  lw::testing::MakeLibrary(dir_.File16("plain.db"), u"", 3);
  ASSERT_TRUE(OpenWithPassword(db, dir_.File16("plain.db"), u""));
  EXPECT_TRUE(db.Exec("PRAGMA journal_mode = delete; UPDATE tab SET t = 'y'"));
}

TEST_F(CipherVfs, VacuumRewritesAKeyedLibraryEvenWithANewPageSize) {
  // Given a new page size, SQLite copies the new pages into buffers of the
  // old size, and with a small cache spills some of them before page 1
  // tells the new size.
  const struct {
    int from, to, cache;
  } kCases[] = {{4096, 1024, 2000}, {4096, 1024, 10}, {1024, 8192, 10}, {65536, 512, 10}};
  for (const auto& c : kCases) {
    const std::string name =
        std::to_string(c.from) + "-" + std::to_string(c.to) + "-" + std::to_string(c.cache) + ".db";
    lw::testing::MakeLibrary(dir_.File16(name), u"vacuum-key", 60, c.from);
    Db db(log_.sink());
    ASSERT_TRUE(OpenWithPassword(db, dir_.File16(name), u"vacuum-key"));
    ASSERT_TRUE(
        db.Exec("PRAGMA journal_mode = off; PRAGMA cache_size = " + std::to_string(c.cache) +
                "; DELETE FROM tab WHERE id % 300 = 2; PRAGMA page_size = " + std::to_string(c.to) +
                "; vacuum"));
    db.Close();
    const std::string file = ReadBytes(dir_.File(name));
    EXPECT_EQ(HeaderPageSize(DecipherFile(file, u"vacuum-key", static_cast<size_t>(c.to))), c.to);
    const std::string left = DumpWith(dir_.File16(name), u"vacuum-key");
    EXPECT_EQ(left.find("row 3 "), std::string::npos) << name;
    EXPECT_NE(left.find("row 59 "), std::string::npos) << name << left.substr(0, 20);
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
}  // namespace lw
