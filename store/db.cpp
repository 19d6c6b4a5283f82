#include "store/db.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/utf.h"
#include "store/statements.h"

namespace lw {

namespace {

// Holds the connection mutex across a call and the reading of its error
// text: in serialized mode another thread's failure could otherwise replace
// the message in between. The mutex is recursive, so the SQLite call itself
// may enter it again.
class ConnectionLock {
 public:
  explicit ConnectionLock(sqlite3* db) : mutex_(db ? sqlite3_db_mutex(db) : nullptr) {
    if (mutex_) sqlite3_mutex_enter(mutex_);
  }
  ~ConnectionLock() { Unlock(); }
  ConnectionLock(const ConnectionLock&) = delete;
  ConnectionLock& operator=(const ConnectionLock&) = delete;
  void Unlock() {
    if (mutex_) sqlite3_mutex_leave(mutex_);
    mutex_ = nullptr;
  }

 private:
  sqlite3_mutex* mutex_;
};

std::u16string MisuseText() { return Utf8ToUtf16(sqlite3_errstr(SQLITE_MISUSE)); }

}  // namespace

// --- Statement -------------------------------------------------------------------

Statement::~Statement() { Finalize(); }

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)),
      failed_(other.failed_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Finalize();
    db_ = std::exchange(other.db_, nullptr);
    stmt_ = std::exchange(other.stmt_, nullptr);
    failed_ = other.failed_;
  }
  return *this;
}

void Statement::Finalize() {
  // The error of a failed step was reported by Step already; finalize only
  // repeats it, so its result is not looked at.
  if (stmt_) sqlite3_finalize(stmt_);
  stmt_ = nullptr;
}

bool Statement::Bind(const std::function<int(sqlite3_stmt*)>& bind) {
  if (!stmt_) return false;
  ConnectionLock lock(db_->db_);
  const int rc = bind(stmt_);
  if (rc == SQLITE_OK) return true;
  std::u16string text = NoteFailure(rc);
  lock.Unlock();
  db_->Report(text);
  return false;
}

bool Statement::BindInt(int index, int value) {
  return Bind([&](sqlite3_stmt* s) { return sqlite3_bind_int(s, index, value); });
}

bool Statement::BindInt64(int index, long long value) {
  return Bind([&](sqlite3_stmt* s) { return sqlite3_bind_int64(s, index, value); });
}

bool Statement::BindText16(int index, std::u16string_view text) {
  // A string_view may point at no storage at all; SQLite would take a null
  // pointer for NULL, so an empty text is bound from a real empty string.
  const char16_t* data = text.empty() ? u"" : text.data();
  return Bind([&](sqlite3_stmt* s) {
    return sqlite3_bind_text16(s, index, data, static_cast<int>(text.size() * 2),
                               SQLITE_TRANSIENT);
  });
}

bool Statement::BindBlob(int index, const void* data, std::size_t size) {
  // Likewise an empty blob is bound as a zero-length blob, never as NULL.
  static const char kEmpty = 0;
  const void* bytes = size ? data : &kEmpty;
  return Bind([&](sqlite3_stmt* s) {
    return sqlite3_bind_blob(s, index, bytes, static_cast<int>(size), SQLITE_TRANSIENT);
  });
}

bool Statement::BindPage(int index, std::string_view rtf) {
  std::string stored(rtf);
  stored.push_back('\0');
  return BindBlob(index, stored.data(), stored.size());
}

bool Statement::BindNull(int index) {
  return Bind([&](sqlite3_stmt* s) { return sqlite3_bind_null(s, index); });
}

bool Statement::BindColumn(int index, const Statement& from, int col) {
  if (!from.stmt_) return false;
  return Bind([&](sqlite3_stmt* s) {
    return sqlite3_bind_value(s, index, sqlite3_column_value(from.stmt_, col));
  });
}

void Statement::Reset() {
  if (!stmt_) return;
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  failed_ = false;
}

bool Statement::Step() {
  if (!stmt_) return false;
  ConnectionLock lock(db_->db_);
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  std::u16string text = NoteFailure(rc);
  lock.Unlock();
  db_->Report(text);
  return false;
}

int Statement::RunCountingChanges() {
  if (!stmt_) return -1;
  ConnectionLock lock(db_->db_);
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(stmt_);
  if (rc == SQLITE_DONE) return sqlite3_changes(db_->db_);
  std::u16string text = NoteFailure(rc);
  lock.Unlock();
  db_->Report(text);
  return -1;
}

std::u16string Statement::NoteFailure(int rc) {
  failed_ = true;
  db_->last_error_ = rc;
  return db_->ErrorText();
}

bool Statement::Run() {
  if (!stmt_) return false;
  while (Step()) {
  }
  return !failed_;
}

int Statement::ColumnInt(int col) const { return stmt_ ? sqlite3_column_int(stmt_, col) : 0; }

bool Statement::ColumnIsNull(int col) const {
  return !stmt_ || sqlite3_column_type(stmt_, col) == SQLITE_NULL;
}

std::u16string Statement::ColumnText16(int col) const {
  if (!stmt_) return {};
  // The pointer first, then the length, as SQLite asks: the length call
  // refers to the conversion the pointer call made.
  const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt_, col));
  const int bytes = sqlite3_column_bytes16(stmt_, col);
  if (!text) return {};
  return std::u16string(text, static_cast<size_t>(bytes) / 2);
}

namespace {

// The bytes of a column as stored. A text value (a page that another
// program wrote as TEXT) is taken as UTF-8: its raw bytes in a UTF-16
// library would hold a zero after every ASCII letter, and a page is read up
// to its first zero.
std::string_view ColumnBytes(sqlite3_stmt* stmt, int col) {
  const void* data = sqlite3_column_type(stmt, col) == SQLITE_TEXT
                         ? static_cast<const void*>(sqlite3_column_text(stmt, col))
                         : sqlite3_column_blob(stmt, col);
  const int bytes = sqlite3_column_bytes(stmt, col);
  if (!data || bytes <= 0) return {};
  return std::string_view(static_cast<const char*>(data), static_cast<size_t>(bytes));
}

}  // namespace

std::string Statement::ColumnBlob(int col) const {
  if (!stmt_) return {};
  return std::string(ColumnBytes(stmt_, col));
}

std::string Statement::ColumnPage(int col) const {
  if (!stmt_) return {};
  const std::string_view stored = ColumnBytes(stmt_, col);
  const char* data = stored.data();
  const auto bytes = static_cast<int>(stored.size());
  if (!data || bytes <= 0) return {};
  const void* zero = std::memchr(data, 0, static_cast<size_t>(bytes));
  const size_t length =
      zero ? static_cast<size_t>(static_cast<const char*>(zero) - data) : static_cast<size_t>(bytes);
  return std::string(data, length);
}

// --- Db --------------------------------------------------------------------------

Db::Db(ErrorSink on_error) : on_error_(std::move(on_error)) {}

Db::~Db() { Close(); }

void Db::Report(const std::u16string& message) const {
  if (on_error_) on_error_(message);
}

std::u16string Db::ErrorText() const {
  if (!db_) return MisuseText();
  const auto* text = static_cast<const char16_t*>(sqlite3_errmsg16(db_));
  return text ? std::u16string(text) : std::u16string();
}

bool Db::Open(const std::u16string& path) {
  Close();
  sqlite3* db = nullptr;
  const int rc = sqlite3_open16(path.c_str(), &db);
  if (rc == SQLITE_OK) {
    db_ = db;
    return true;
  }
  // Even a failed open usually returns a handle that holds the reason; the
  // handle must be closed all the same.
  std::u16string text = db ? std::u16string(static_cast<const char16_t*>(sqlite3_errmsg16(db)))
                           : Utf8ToUtf16(sqlite3_errstr(rc));
  last_error_ = rc;
  sqlite3_close_v2(db);
  Report(text);
  return false;
}

void Db::Adopt(sqlite3* handle) {
  Close();
  db_ = handle;
}

void Db::Close() {
  if (!db_) return;
  sqlite3* db = std::exchange(db_, nullptr);
  // close_v2 succeeds even with statements left open (the connection then
  // lingers until they are finalized); a failure here is still reported.
  if (sqlite3_close_v2(db) != SQLITE_OK) Report(Utf8ToUtf16(sqlite3_errmsg(db)));
}

bool Db::CreateLibrary(const std::u16string& path) {
  if (!Open(path)) return false;
  if (Exec(kSqlCreateLibrary)) return true;
  Close();
  return false;
}

std::int64_t Db::LastInsertRowid() const { return db_ ? sqlite3_last_insert_rowid(db_) : 0; }

bool Db::ApplyOpenSettings() { return Exec(kSqlOpenSettings); }

bool Db::Exec(const std::string& sql) {
  if (!db_) {
    Report(MisuseText());
    return false;
  }
  ConnectionLock lock(db_);
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  if (rc == SQLITE_OK) return true;
  std::u16string text = Utf8ToUtf16(message ? message : sqlite3_errstr(rc));
  last_error_ = rc;
  sqlite3_free(message);
  lock.Unlock();
  Report(text);
  return false;
}

Statement Db::Prepare(std::u16string_view sql) {
  if (!db_) {
    Report(MisuseText());
    return {};
  }
  ConnectionLock lock(db_);
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare16_v2(db_, sql.data(), static_cast<int>(sql.size() * 2), &stmt,
                                      nullptr);
  if (rc == SQLITE_OK && stmt) return Statement(this, stmt);
  // Text without a statement in it (empty, only a comment) prepares "fine"
  // to nothing; it is a failure all the same, as nothing would run.
  std::u16string text = rc == SQLITE_OK ? u"empty SQL statement" : ErrorText();
  last_error_ = rc == SQLITE_OK ? SQLITE_ERROR : rc;
  lock.Unlock();
  Report(text);
  return {};
}

Statement Db::Prepare8(std::string_view sql) {
  if (!db_) {
    Report(MisuseText());
    return {};
  }
  ConnectionLock lock(db_);
  sqlite3_stmt* stmt = nullptr;
  const int rc =
      sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc == SQLITE_OK && stmt) return Statement(this, stmt);
  std::u16string text = rc == SQLITE_OK ? u"empty SQL statement" : ErrorText();
  last_error_ = rc == SQLITE_OK ? SQLITE_ERROR : rc;
  lock.Unlock();
  Report(text);
  return {};
}

int Db::QueryInt(Statement prepared, int fallback) {
  if (!prepared.Step()) return fallback;
  return prepared.ColumnInt(0);
}

int Db::CountChildren(int parent) {
  return QueryInt(Prepare(FormatSql16(kSqlCountChildren, {parent})), 0);
}

int Db::CountNodes() { return QueryInt(Prepare(FormatSql16(kSqlCountNodes)), 0); }

int Db::FormatVersion() { return QueryInt(Prepare8(kSqlReadVersion), 1); }

// --- RowInserter -------------------------------------------------------------------

RowInserter::RowInserter(Db& db) : insert_(db.Prepare(FormatSql16(kSqlInsertRow))) {}

bool RowInserter::BindRow(const NodeValues& row) {
  insert_.Reset();
  return insert_.BindInt(1, row.id) && insert_.BindInt(2, row.parent) &&
         insert_.BindInt(3, row.order) && insert_.BindText16(4, row.title);
}

bool RowInserter::Insert(const NodeValues& row, const Statement& from, int col) {
  return BindRow(row) && insert_.BindColumn(5, from, col) && insert_.Run();
}

bool RowInserter::Insert(const NodeValues& row, const std::string* stored) {
  if (!BindRow(row)) return false;
  const bool bound = stored ? insert_.BindBlob(5, stored->data(), stored->size())
                            : insert_.BindNull(5);
  return bound && insert_.Run();
}

MappedReading::MappedReading(Db& db) : db_(db) {
  if (db_.handle()) sqlite3_exec(db_.handle(), "PRAGMA mmap_size = 1073741824", nullptr, nullptr, nullptr);
}

MappedReading::~MappedReading() {
  if (db_.handle()) sqlite3_exec(db_.handle(), "PRAGMA mmap_size = 0", nullptr, nullptr, nullptr);
}

}  // namespace lw
