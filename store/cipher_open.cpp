#include "store/cipher_open.h"

#include <sqlite3.h>

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

}  // namespace lw
