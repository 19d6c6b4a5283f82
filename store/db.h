// A thin owner of one SQLite connection to a library.
//
// Failures are never thrown: every failing call hands SQLite's own error
// text to the one ErrorSink given at construction and answers false (or an
// empty Statement, or the documented default), and the caller goes on with
// its next step. There are no transactions and the journal is off, so
// nothing is rolled back.
//
// Threads: SQLite is built serialized, and the connection may be used from a
// worker beside the user-interface thread. Each call that can fail holds the
// connection's mutex until it has copied the error text, so the text reported
// is the one of that call; the sink itself runs with no lock held and may be
// called from any thread that uses the connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace lw {

using ErrorSink = std::function<void(const std::u16string&)>;

class Db;

// One prepared statement, finalized when it goes out of scope, so a
// statement never outlives the function that prepared it. Must not outlive
// its Db. Move-only.
class Statement {
 public:
  Statement() = default;
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // False when preparing failed (already reported) or after Finalize.
  bool ok() const { return stmt_ != nullptr; }
  explicit operator bool() const { return ok(); }

  // Parameters are numbered from 1. Values are copied by SQLite. Each
  // answers false (and reports) on failure.
  bool BindInt(int index, int value);
  bool BindInt64(int index, long long value);
  bool BindText16(int index, std::u16string_view text);
  bool BindBlob(int index, const void* data, std::size_t size);
  // A page as stored: the RTF bytes followed by one zero byte.
  bool BindPage(int index, std::string_view rtf);
  bool BindNull(int index);
  // Column `col` of `from`'s current row as it is stored: NULL stays NULL, a
  // blob keeps its length, a text stays a text.
  bool BindColumn(int index, const Statement& from, int col);
  // Makes the statement ready to run again with new values.
  void Reset();

  // Runs to the next row: true when a row is available. False when the
  // statement is done or failed; failures are reported and set failed().
  bool Step();
  // Runs to completion, ignoring rows; true when it ended without an error.
  bool Run();
  // Runs to completion like Run: the number of rows the statement changed,
  // or -1 when it failed (reported). Counted while the connection is still
  // held, so that no other thread's statement is counted instead.
  int RunCountingChanges();
  bool failed() const { return failed_; }

  // Columns of the current row, numbered from 0.
  int ColumnInt(int col) const;
  bool ColumnIsNull(int col) const;
  std::u16string ColumnText16(int col) const;
  std::string ColumnBlob(int col) const;
  // A page as read: the bytes up to the first zero byte, or all of them when
  // there is none. NULL and empty both give an empty page.
  std::string ColumnPage(int col) const;

  // Finalizes now; ok() is false afterwards.
  void Finalize();

  sqlite3_stmt* handle() const { return stmt_; }

 private:
  friend class Db;
  Statement(Db* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  // Runs one bind call on the statement; reports its failure.
  bool Bind(const std::function<int(sqlite3_stmt*)>& bind);
  // Marks the statement failed with `rc` and answers the connection's error
  // text; the caller holds the connection and reports the text once it has
  // let go of it.
  std::u16string NoteFailure(int rc);

  Db* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  bool failed_ = false;
};

class Db {
 public:
  explicit Db(ErrorSink on_error);
  ~Db();  // closes
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;

  // Opens (or creates, when missing) the database at `path` through the
  // UTF-16 open call, so a new file gets UTF-16 text. Closes any connection
  // held before. False and reported on failure; nothing is open then.
  bool Open(const std::u16string& path);
  // Takes over `handle`, a connection opened elsewhere (through another
  // SQLite file layer, say); closes any connection held before.
  void Adopt(sqlite3* handle);
  // Closes the connection, if any. Statements must be finalized by then.
  void Close();
  bool is_open() const { return db_ != nullptr; }
  sqlite3* handle() const { return db_; }

  // Makes a new library at `path` (which must not hold a database yet) and
  // leaves the connection open with the file locked exclusively until Close.
  // False and reported on failure; the connection is closed then.
  bool CreateLibrary(const std::u16string& path);
  // The settings every connection to a library gets right after opening.
  bool ApplyOpenSettings();

  // Runs one or more 8-bit statements in one go; stops at the first failure
  // and reports the message that execution returned.
  bool Exec(const std::string& sql);
  // Prepares the first statement of UTF-16 text (the usual path). Text that
  // holds no statement, such as a formatter's empty result for mismatched
  // arguments, is reported as "empty SQL statement".
  Statement Prepare(std::u16string_view sql);
  // Prepares 8-bit text; used only for the format version.
  Statement Prepare8(std::string_view sql);

  // The rowid of the row that the last successful INSERT on this
  // connection added.
  std::int64_t LastInsertRowid() const;

  // Children of `parent`; 0 when the query fails.
  int CountChildren(int parent);
  // Rows of `tab`; 0 when the query fails.
  int CountNodes();
  // The library's `user_version`; 1 when the query fails.
  int FormatVersion();

  // Hands `message` to the sink. For callers that detect a failure of
  // their own around a connection call.
  void Report(const std::u16string& message) const;
  // The primary result code of the last failure reported by a call on this
  // connection (SQLITE_BUSY, SQLITE_CORRUPT, ...); 0 when none failed yet.
  // Lets a caller tell the user why in words of its own.
  int last_error() const { return last_error_ & 0xFF; }

 private:
  friend class Statement;
  // The connection's current error text; the caller holds the connection
  // mutex from the failing call until this returns.
  std::u16string ErrorText() const;
  // The first column of the first row, or `fallback` when there is none.
  static int QueryInt(Statement prepared, int fallback);

  ErrorSink on_error_;
  sqlite3* db_ = nullptr;
  int last_error_ = 0;
};

// While one lives, the connection reads the file through a memory map: a
// pass over the whole table (the pages lie among the tree's rows) is then
// read without a system call for every database page. The map is given up
// at the end, so that nothing keeps the file from being replaced.
class MappedReading {
 public:
  explicit MappedReading(Db& db);
  ~MappedReading();
  MappedReading(const MappedReading&) = delete;
  MappedReading& operator=(const MappedReading&) = delete;

 private:
  Db& db_;
};

// The values of one node row but its page.
struct NodeValues {
  int id = 0;
  int parent = 0;
  int order = 0;
  std::u16string_view title;
};

// Node rows written with every value bound and the statement prepared once:
// the copies of an import, an export or a paste. Titles are bound, so any
// character in them (a NUL, an apostrophe) is stored as it is.
class RowInserter {
 public:
  explicit RowInserter(Db& db);
  // False when the statement could not be prepared (reported).
  explicit operator bool() const { return insert_.ok(); }
  // The page is column `col` of `from`'s current row, copied as stored.
  bool Insert(const NodeValues& row, const Statement& from, int col);
  // The page is `stored` as it is (a stored page ends with its zero byte),
  // or NULL when there is none.
  bool Insert(const NodeValues& row, const std::string* stored);

 private:
  bool BindRow(const NodeValues& row);
  Statement insert_;
};

}  // namespace lw
