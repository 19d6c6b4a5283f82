// Libraries for the cipher tests, made through the cipher layer and read back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf.h"
#include "store/cipher_open.h"
#include "store/db.h"

namespace lw::testing {

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Bytes with no pattern in them, as cipher output has none (a fixed seed:
// the same bytes every run).
inline std::string NoiseBytes(std::size_t n) {
  std::string bytes(n, '\0');
  std::uint32_t x = 2463534242u;
  for (char& c : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// `rows` nodes keyed with `password` (plain when empty); every fifth page
// needs overflow pages.
inline void MakeLibrary(const std::u16string& path, const std::u16string& password, int rows,
                        int page_size = 4096) {
  Db db([](const std::u16string& m) { ADD_FAILURE() << Utf16ToUtf8(m); });
  ASSERT_TRUE(OpenWithPassword(db, path, password));
  ASSERT_TRUE(db.Exec("PRAGMA journal_mode = off; PRAGMA page_size = " + std::to_string(page_size) +
                      "; PRAGMA user_version = 1; BEGIN; "
                      "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB)"));
  for (int n = 1; n <= rows; ++n) {
    Statement s = db.Prepare(u"INSERT INTO tab VALUES (?, 100, ?, 'Nod ț', ?)");
    s.BindInt(1, n * 100 + 2);
    s.BindInt(2, n);
    std::string page = "{\\rtf1 row " + std::to_string(n) + " ";
    page.resize(n % 5 ? 300 : 3 * static_cast<size_t>(page_size) + 17,
                static_cast<char>('a' + n % 26));
    ASSERT_TRUE(s.BindPage(3, page) && s.Run());
  }
  ASSERT_TRUE(db.Exec("COMMIT"));
}

// Every row in id order, after an integrity check; "(unreadable)" or
// "(damaged)" when the file does not read with `password`.
inline std::string DumpWith(const std::u16string& path, const std::u16string& password) {
  Db db(nullptr);
  if (!OpenWithPassword(db, path, password) || !ProbeReadable(db.handle())) return "(unreadable)";
  Statement check = db.Prepare(u"PRAGMA integrity_check");
  if (!check.Step() || check.ColumnText16(0) != u"ok") return "(damaged)";
  check.Finalize();
  Statement s = db.Prepare(u"SELECT id, i, t, r FROM tab ORDER BY id");
  std::string all;
  while (s.Step()) {
    all += std::to_string(s.ColumnInt(0)) + "|" + std::to_string(s.ColumnInt(1)) + "|" +
           Utf16ToUtf8(s.ColumnText16(2)) + "|" + s.ColumnPage(3) + "\n";
  }
  return all;
}

inline bool ReadableWith(const std::u16string& path, const std::u16string& password) {
  Db db(nullptr);
  return OpenWithPassword(db, path, password) && ProbeReadable(db.handle());
}

}  // namespace lw::testing
