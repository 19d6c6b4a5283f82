#include "store/cipher_open.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/utf.h"
#include "store/cipher_key.h"
#include "store/cipher_vfs.h"
#include "store/statements.h"

namespace lw {

namespace {

// The reason a call on `handle` failed, in SQLite's words.
std::u16string ErrorOf(sqlite3* handle, int rc) {
  if (handle) {
    const auto* text = static_cast<const char16_t*>(sqlite3_errmsg16(handle));
    if (text) return text;
  }
  return Utf8ToUtf16(sqlite3_errstr(rc));
}

bool OpenUtf8(Db& db, const char* path, const std::optional<CipherKey>& key) {
  sqlite3* handle = nullptr;
  const int rc = OpenCipherConnection(path, key, &handle);
  if (rc != SQLITE_OK) {
    const std::u16string text = ErrorOf(handle, rc);
    sqlite3_close_v2(handle);
    db.Close();
    db.Report(text);
    return false;
  }
  // What the UTF-16 open call does for a new file. The setting reads nothing
  // from the file, and the file's own encoding wins once it has one.
  sqlite3_exec(handle, "PRAGMA encoding = 'UTF-16'", nullptr, nullptr, nullptr);
  db.Adopt(handle);
  return true;
}

}  // namespace

bool OpenThroughCipher(Db& db, const std::u16string& path) {
  return OpenUtf8(db, Utf16ToUtf8(path).c_str(), std::nullopt);
}

bool ApplyPassword(Db& db, const std::u16string& password) {
  if (!db.is_open()) {
    db.Report(Utf8ToUtf16(sqlite3_errstr(SQLITE_MISUSE)));
    return false;
  }
  const std::optional<CipherKey> key = DeriveCipherKey(password);
  int rc = SetCipherKey(db.handle(), key);
  if (rc == SQLITE_NOTFOUND) {
    // Opened through the platform's own layer: open the same file again
    // through the cipher layer.
    const char* name = sqlite3_db_filename(db.handle(), "main");
    const std::string path = name ? name : "";
    if (!path.empty()) return OpenUtf8(db, path.c_str(), key);
    rc = SQLITE_CANTOPEN;  // a database without a file cannot be enciphered
  }
  if (rc == SQLITE_OK) return true;
  db.Report(Utf8ToUtf16(sqlite3_errstr(rc)));
  return false;
}

bool ProbeReadable(sqlite3* db) {
  if (!db) return false;
  const std::u16string probe = Utf8ToUtf16(kSqlProbe);
  sqlite3_stmt* stmt = nullptr;
  const int rc =
      sqlite3_prepare16_v2(db, probe.data(), static_cast<int>(probe.size() * 2), &stmt, nullptr);
  sqlite3_finalize(stmt);
  return rc == SQLITE_OK && stmt != nullptr;
}

bool OpenWithPassword(Db& db, const std::u16string& path, std::u16string_view password) {
  return OpenUtf8(db, Utf16ToUtf8(path).c_str(), DeriveCipherKey(password));
}

namespace {

constexpr char kSqliteHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                    'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
// The smallest page SQLite writes; every library is a whole number of pages.
constexpr std::uintmax_t kSmallestPage = 512;
// Bytes looked at to tell cipher output from anything else.
constexpr std::size_t kSniffed = 64;

// Up to `n` first bytes of a regular file; nothing for any other path.
std::string FirstBytes(const std::u16string& path, std::size_t n, std::uintmax_t* size) {
  std::error_code ec;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  *size = std::filesystem::file_size(file, ec);
  if (ec) return {};
  std::ifstream in(file, std::ios::binary);
  std::string bytes(n, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(n));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

// RC4 output is uniform: a run of six equal bytes in 64 comes up about once
// in 10^10 files, 64 printable characters never. A plain header that was
// damaged, a text file or a zeroed block shows one or the other.
bool LooksLikeCipherOutput(const std::string& bytes) {
  std::size_t run = 1;
  bool printable = true;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const auto c = static_cast<unsigned char>(bytes[k]);
    run = k > 0 && bytes[k] == bytes[k - 1] ? run + 1 : 1;
    if (run >= 6) return false;
    printable = printable && (c == '\t' || c == '\n' || c == '\r' || (c >= 0x20 && c < 0x7F));
  }
  return !printable;
}

}  // namespace

LibraryFileKind ClassifyLibraryFile(const std::u16string& path) {
  std::uintmax_t size = 0;
  const std::string head = FirstBytes(path, kSniffed, &size);
  if (head.size() >= sizeof kSqliteHeader &&
      std::memcmp(head.data(), kSqliteHeader, sizeof kSqliteHeader) == 0) {
    return LibraryFileKind::kPlain;
  }
  if (size < kSmallestPage || size % kSmallestPage != 0 || head.size() < kSniffed ||
      !LooksLikeCipherOutput(head)) {
    return LibraryFileKind::kNotLibrary;
  }
  return LibraryFileKind::kEnciphered;
}

bool PasswordOpensHeader(const std::u16string& path, std::u16string_view password) {
  const std::optional<CipherKey> key = DeriveCipherKey(password);
  std::uintmax_t size = 0;
  std::string head = FirstBytes(path, sizeof kSqliteHeader, &size);
  if (head.size() < sizeof kSqliteHeader) return false;
  if (key) {
    const PageKeystream stream(*key);
    auto* bytes = reinterpret_cast<uint8_t*>(head.data());
    XorBytes(bytes, bytes, stream.bytes(), head.size());
  }
  return std::memcmp(head.data(), kSqliteHeader, sizeof kSqliteHeader) == 0;
}

}  // namespace lw
