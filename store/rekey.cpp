#include "store/rekey.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "base/utf.h"
#include "store/cipher_key.h"
#include "store/cipher_open.h"
#include "store/cipher_vfs.h"
#include "store/statements.h"

namespace lw {

namespace {

constexpr char16_t kInvalidPassword[] = u"Invalid password (1, 2 or 3 characters)";

std::u16string LastError(sqlite3* db) {
  const auto* text = static_cast<const char16_t*>(sqlite3_errmsg16(db));
  return text ? std::u16string(text) : std::u16string();
}

// An integer pragma of the main database; -1 when it cannot be read.
int PragmaInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  int value = -1;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    value = sqlite3_column_int(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return value;
}

// SQLite keeps this page for its locks and never reads or writes it; it is
// not ciphered, and on Windows its bytes may be locked against reading.
constexpr int64_t kLockBytePage = 0x40000000;

// Pages are copied this many bytes at a time: a multiple of every page
// size, and no more than SQLite's own file layers write in one call (the
// POSIX layer takes at most 128 KiB less one byte).
constexpr int kChunk = 65536;

std::u16string IoError(int rc) { return Utf8ToUtf16(sqlite3_errstr(rc)); }

// Copies the bytes of `path` into `copy`, each page deciphered with `from`
// and enciphered with `to` (either may be none) in one XOR with both masks,
// and makes the copy durable. The files are those of the cipher layer, so
// its fault injection reaches every read, write and sync.
bool TranscodePages(const std::string& path, const std::string& copy, int page_size,
                    const std::optional<CipherKey>& from, const std::optional<CipherKey>& to,
                    const ErrorSink& on_error) {
  std::vector<uint8_t> mask(static_cast<size_t>(page_size), 0);
  for (const std::optional<CipherKey>& key : {from, to}) {
    if (!key) continue;
    const PageKeystream stream(*key);
    XorBytes(mask.data(), mask.data(), stream.bytes(), mask.size());
  }

  CipherLayerFile source, target;
  int rc = source.Open(path, /*create=*/false);
  if (rc == SQLITE_OK) rc = target.Open(copy, /*create=*/true);
  int64_t size = 0;
  if (rc == SQLITE_OK) rc = source.Size(&size);
  std::vector<uint8_t> chunk(kChunk);
  for (int64_t at = 0; rc == SQLITE_OK && at < size; at += kChunk) {
    const int n = static_cast<int>(std::min<int64_t>(kChunk, size - at));
    const bool lock_page = at <= kLockBytePage && kLockBytePage < at + n;
    if (lock_page) {
      // Read around the lock page and leave zeros in its place.
      const int before = static_cast<int>(kLockBytePage - at);
      const int after_at = std::min(before + page_size, n);
      std::fill(chunk.begin() + before, chunk.begin() + after_at, 0);
      if (before > 0) rc = source.Read(chunk.data(), before, at);
      if (rc == SQLITE_OK && after_at < n) {
        rc = source.Read(chunk.data() + after_at, n - after_at, at + after_at);
      }
    } else {
      rc = source.Read(chunk.data(), n, at);
    }
    if (rc != SQLITE_OK) break;
    for (int page = 0; page < n; page += page_size) {
      if (at + page == kLockBytePage) continue;
      const size_t length = static_cast<size_t>(std::min(page_size, n - page));
      XorBytes(chunk.data() + page, chunk.data() + page, mask.data(), length);
    }
    rc = target.Write(chunk.data(), n, at);
  }
  if (rc == SQLITE_OK) rc = target.Sync();
  const int closed = target.Close();
  if (rc == SQLITE_OK) rc = closed;
  if (rc == SQLITE_OK) return true;
  on_error(IoError(rc));
  return false;
}

}  // namespace

bool WriteLibraryCopy(const std::u16string& path, const std::u16string& copy,
                      std::u16string_view old_password, std::u16string_view new_password,
                      const ErrorSink& on_error) {
  Db source(on_error);
  // The probe statement reports the reason when the old key does not read
  // the file. Run, it also ends a WAL mode that someone chose in the SQL
  // console, moving every page into the file itself.
  if (!OpenWithPassword(source, path, old_password) || !source.Exec(kSqlProbe)) return false;
  const int page_size = PragmaInt(source.handle(), "PRAGMA page_size");
  const int pages = PragmaInt(source.handle(), "PRAGMA page_count");
  // The write lock for the length of the copy keeps other programs from
  // writing meanwhile, and fails at once while one is writing: its change
  // would otherwise go to the file the copy replaces.
  if (page_size <= 0 || pages < 0 ||
      !source.Exec("BEGIN IMMEDIATE; SELECT count(*) FROM sqlite_master")) {
    if (page_size <= 0 || pages < 0) on_error(LastError(source.handle()));
    return false;
  }
  if (!TranscodePages(Utf16ToUtf8(path), Utf16ToUtf8(copy), page_size,
                      DeriveCipherKey(old_password), DeriveCipherKey(new_password), on_error)) {
    return false;
  }
  source.Close();

  // What is on the disk now, read back through a connection of its own.
  Db check(on_error);
  if (!OpenWithPassword(check, copy, new_password) || !check.Exec(kSqlProbe)) return false;
  if (PragmaInt(check.handle(), "PRAGMA page_count") != pages) {
    on_error(IoError(SQLITE_CORRUPT));
    return false;
  }
  return true;
}

std::vector<std::u16string> RemoveLibraryCopyLeftovers(const std::u16string& library) {
  std::vector<std::u16string> removed = RemoveLeftovers(library, kRekeyTag);
  for (std::u16string& path : RemoveLeftovers(library, kVacuumTag)) removed.push_back(std::move(path));
  return removed;
}

namespace {

// Why the library at `path` cannot be rewritten, from its metadata alone
// (a named pipe is never opened); empty when it can. Besides a missing file
// or one that is no file at all, the rules of every replacement apply: a
// read-only library stays as its owner made it, and one with a second name
// (hard link) would keep its old pages, under the old key or none, behind
// that name.
std::u16string CopyRefusal(const std::u16string& path, const char* tag) {
  std::string reason;
  const PathKind kind = KindOfPath(path, &reason);
  if (kind == PathKind::kUnreachable) return Utf8ToUtf16(QuotedPath(path) + ": " + reason);
  if (kind != PathKind::kRegular) return Utf8ToUtf16(QuotedPath(path) + " " + KindText(kind));
  std::string error;
  if (!CheckReplaceable(path, ReplaceRules{tag, {}}, &error)) return Utf8ToUtf16(error);
  return {};
}

}  // namespace

bool ReplaceLibraryByCopy(const std::u16string& path, const char* tag, const CopyWriter& write,
                          const ErrorSink& on_error) {
  if (const std::u16string refusal = CopyRefusal(path, tag); !refusal.empty()) {
    on_error(refusal);
    return false;
  }
  RemoveLibraryCopyLeftovers(path);
  ReplacementFile copy;
  std::string error;
  if (!copy.Create(path, ReplaceRules{tag, {}}, &error)) {
    on_error(Utf8ToUtf16(error));
    return false;
  }
  copy.HandOver();
  // The copy is removed with `copy` on every way out but the last.
  if (!write(copy.destination(), copy.temporary())) return false;
  if (!copy.Commit(&error)) {
    on_error(Utf8ToUtf16(error));
    return false;
  }
  return true;
}

bool RekeyLibraryFile(const std::u16string& path, std::u16string_view old_password,
                      std::u16string_view new_password, const ErrorSink& sink) {
  const ErrorSink on_error = sink ? sink : [](const std::u16string&) {};
  if (!IsAcceptablePassword(new_password)) {
    on_error(kInvalidPassword);
    return false;
  }
  // A path that cannot be rewritten is refused even when nothing would be.
  if (const std::u16string refusal = CopyRefusal(path, kRekeyTag); !refusal.empty()) {
    on_error(refusal);
    return false;
  }
  if (DeriveCipherKey(old_password) == DeriveCipherKey(new_password)) return true;
  return ReplaceLibraryByCopy(
      path, kRekeyTag,
      [&](const std::u16string& library, const std::u16string& copy) {
        return WriteLibraryCopy(library, copy, old_password, new_password, on_error);
      },
      on_error);
}

bool RekeyOpenLibrary(Db& db, const std::u16string& path, std::u16string_view old_password,
                      std::u16string_view new_password) {
  const ErrorSink sink = [&db](const std::u16string& message) { db.Report(message); };
  if (!IsAcceptablePassword(new_password)) {
    sink(kInvalidPassword);
    return false;
  }
  if (DeriveCipherKey(old_password) == DeriveCipherKey(new_password)) return true;

  // The copy must read a quiet file, and Windows cannot replace a file that
  // is open.
  db.Close();
  const bool ok = RekeyLibraryFile(path, old_password, new_password, sink);
  if (OpenWithPassword(db, path, ok ? new_password : old_password)) db.ApplyOpenSettings();
  return ok;
}

}  // namespace lw
