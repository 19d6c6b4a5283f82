// One SQL statement typed by the user, run against the open library: its
// placeholders filled, only its first statement compiled (the user is told
// when more follows), run to its end with every step checked. Portable:
// the window's SQL keys and lorewell-cli sql run the same code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/db.h"
#include "store/tree_model.h"

namespace lw {

// What the placeholders stand for in one statement.
struct SqlPlaceholders {
  int folder_id = 0;  // "@"
  int book_id = 0;    // "#"
  int file_id = 0;    // "$"
  int top_level = 0;  // ">": the number of top-level nodes
};

// Three fresh ids of distinct numbers (a folder, a book and a file) and the
// number of top-level nodes. False when the library has no free number.
bool MakePlaceholders(Db& db, TreeModel& model, SqlPlaceholders* out);

// `statement` with carriage returns removed and every placeholder replaced,
// also inside string literals (as the user was told).
std::u16string FillPlaceholders(std::u16string_view statement, const SqlPlaceholders& values);

// The first statement of `text`, as SQLite's parser on `db` ends it, and
// whether anything but blanks and comments follows it (which will not run).
struct FirstStatement {
  std::u16string sql;
  bool more = false;
};
FirstStatement SplitFirstStatement(Db& db, std::u16string_view text);

// Runs `sql` (one statement) to its end. Rows it returns are collected as
// text, column by column ("NULL" for none); `changes` counts the rows it
// changed. A failure is reported to the connection's sink and `ok` is false;
// `prepared` tells whether it compiled (and so may have changed something).
struct SqlRun {
  bool prepared = false;
  bool ok = false;
  std::vector<std::vector<std::u16string>> rows;
  int changes = 0;
};
SqlRun RunSql(Db& db, std::u16string_view sql);

// Ids that more than one row carries; -1 when the query failed (reported).
int DuplicateIdCount(Db& db);

}  // namespace lw
