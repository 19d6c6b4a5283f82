// Every SQL statement that the program sends to a library, exactly as sent.
//
// Integers are formatted into the text (%i; %% is a percent sign) with
// FormatSql16 / FormatSql8 below. Titles, clip names, pages and clip
// contents are always bound as parameters (?), never written into SQL text:
// a title from another program's file may hold any character, a NUL or an
// apostrophe included.
// Statements that change `i`, `id` or `p` of rows named by id and the
// deletes go through the 8-bit one-shot execute path (Db::Exec); the others,
// and every statement with bound values, are prepared as UTF-16
// (Db::Prepare).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace lw {

// --- Library files -----------------------------------------------------------

// A new library: the page size must be set before the first table exists.
// Exclusive locking keeps the creating connection's lock until it closes.
inline constexpr char kSqlCreateLibrary[] =
    "PRAGMA locking_mode = exclusive; PRAGMA journal_mode = off; "
    "PRAGMA page_size = 4096; PRAGMA user_version = 1; "
    "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB)";
// Settings of every connection to a library just opened.
inline constexpr char kSqlOpenSettings[] = "PRAGMA journal_mode = off; PRAGMA page_size = 4096";
// The format version (`user_version`); the only one prepared as 8-bit text.
inline constexpr char kSqlReadVersion[] = "PRAGMA user_version";
// Stamps a version-0 library as version 1.
inline constexpr char kSqlStampVersion[] = "PRAGMA user_version = 1";
// Fails on a file whose pages cannot be read (an enciphered library opened
// with the wrong key, or no library at all).
inline constexpr char kSqlProbe[] = "PRAGMA journal_mode = off";
// Prepares a legacy ".idb" library for conversion.
inline constexpr char kSqlPrepareLegacy[] = "PRAGMA journal_mode = off; PRAGMA user_version = 1";
// The target library of an export.
inline constexpr char kSqlCreateExportTarget[] =
    "PRAGMA journal_mode = off; PRAGMA user_version = 1; "
    "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB)";
inline constexpr char kSqlVacuum[] = "vacuum";

// Copies of many rows (import, export, conversion) run in one transaction:
// with the journal off each statement would otherwise be a durable commit of
// its own. While the open library is written in one, its journal is kept in
// memory, so that a failing disk can be rolled back and no journal file is
// ever written beside a library.
inline constexpr char kSqlJournalInMemory[] = "PRAGMA journal_mode = memory";
inline constexpr char kSqlJournalOff[] = "PRAGMA journal_mode = off";
inline constexpr char kSqlBegin[] = "BEGIN";
inline constexpr char kSqlCommit[] = "COMMIT";
inline constexpr char kSqlRollback[] = "ROLLBACK";

// Conversion of legacy kind digits (folder 0, book 1, file 2) to the current
// ones (0, 2, 4), in `p` and then in `id`. Run in array order: files' digit 2
// must become 4 before books' digit 1 becomes 2.
inline constexpr char kSqlConvertParentFiles[] =
    "UPDATE tab SET p = SUBSTR(p, 1, length(p)-1) || 4 WHERE SUBSTR(p, -1, 1) = '2'";
inline constexpr char kSqlConvertParentBooks[] =
    "UPDATE tab SET p = SUBSTR(p, 1, length(p)-1) || 2 WHERE SUBSTR(p, -1, 1) = '1'";
inline constexpr char kSqlConvertIdFiles[] =
    "UPDATE tab SET id = SUBSTR(id, 1, length(id)-1) || 4 WHERE SUBSTR(id, -1, 1) = '2'";
inline constexpr char kSqlConvertIdBooks[] =
    "UPDATE tab SET id = SUBSTR(id, 1, length(id)-1) || 2 WHERE SUBSTR(id, -1, 1) = '1'";
inline constexpr const char* kSqlConvertLegacy[] = {
    kSqlConvertParentFiles, kSqlConvertParentBooks, kSqlConvertIdFiles, kSqlConvertIdBooks};

// --- Reading the tree ----------------------------------------------------------

inline constexpr char kSqlSelectFolders[] = "SELECT id,t FROM tab WHERE p = 0 ORDER BY i";
// (parent id)
inline constexpr char kSqlSelectChildren[] = "SELECT id,t FROM tab WHERE p = %i ORDER BY i";
// (id)
inline constexpr char kSqlSelectTitleAndPage[] = "SELECT t,r FROM tab WHERE id = %i";
// Rows addressed by the rowid the tree read for them (ModelItem::rowid) are
// one lookup; "WHERE id = %i" is a scan of the whole table. The id is bound
// beside the rowid, so a rowid gone stale (VACUUM renumbers the rowids of a
// table without an INTEGER PRIMARY KEY) finds no row rather than another
// node's; the caller then falls back to the statement by id.
// binds (rowid, id)
inline constexpr char kSqlSelectTitleAndPageByRowid[] =
    "SELECT t,r FROM tab WHERE rowid = ? AND id = ?";
// (id)
inline constexpr char kSqlSelectPage[] = "SELECT r FROM tab WHERE id = %i";
// (id)
inline constexpr char kSqlSelectOrder[] = "SELECT i FROM tab WHERE id = %i";
// binds (rowid, id); kSqlSelectPage when no row is found.
inline constexpr char kSqlSelectPageByRowid[] = "SELECT r FROM tab WHERE rowid = ? AND id = ?";
// binds (rowid, id); kSqlSelectOrder when no row is found.
inline constexpr char kSqlSelectOrderByRowid[] = "SELECT i FROM tab WHERE rowid = ? AND id = ?";
// (parent id)
inline constexpr char kSqlCountChildren[] = "SELECT count(p) FROM tab WHERE p = %i";
inline constexpr char kSqlCountNodes[] = "SELECT COUNT(id) FROM tab";
// binds (title) the node a link names by title.
inline constexpr char kSqlSelectIdByTitle[] = "SELECT id FROM tab WHERE t = ?";
// The whole tree in one pass, in table order, for filling the tree: every
// "WHERE p = %i" query is a scan of the whole table (it has no index), so
// one query per folder and per book would read the file thousands of times.
// The rows are grouped by parent and ordered by `i` in memory, ties in table
// order, which is the order the per-parent queries give.
inline constexpr char kSqlSelectTree[] = "SELECT id,p,i,t FROM tab";
// The node search with the typed text bound as the LIKE pattern ("%" + text
// + "%"), so any text is searched for and none can break the statement; "%"
// and "_" typed keep their wildcard meaning.
inline constexpr char kSqlSearchTitlesBound[] = "SELECT id,t FROM tab WHERE t LIKE ?";
// Import and export read the rows to copy the same way: the structure of
// the whole table in one pass, grouped by parent and ordered by `i` in
// memory (ties in table order), and then each page by its row, which is one
// lookup instead of a scan of the whole table per folder and per book.
inline constexpr char kSqlSelectRowsWithRowids[] = "SELECT rowid,id,p,i,t FROM tab";
inline constexpr char kSqlSelectDuplicateIds[] =
    "SELECT id FROM tab GROUP BY id HAVING COUNT(*) > 1";

// --- Changing the tree ---------------------------------------------------------

// (id, order), binds (title)
inline constexpr char kSqlInsertFolder[] = "INSERT INTO tab VALUES (%i, 0, %i, ?, null)";
// (id, parent, order), binds (title): a new book or file.
inline constexpr char kSqlInsertChild[] = "INSERT INTO tab VALUES (%i, %i, %i, ?, null)";
// (id, parent), binds (title): a pasted copy; renumbered with its siblings
// afterwards.
inline constexpr char kSqlInsertPasted[] = "INSERT INTO tab VALUES (%i, %i, 0, ?, null)";
// (id), binds (title)
inline constexpr char kSqlRename[] = "UPDATE tab SET t = ? WHERE id = %i";
// binds (title, rowid, id); kSqlRename when no row is found.
inline constexpr char kSqlRenameByRowid[] = "UPDATE tab SET t = ? WHERE rowid = ? AND id = ?";
// binds (id, parent, order, title, page or NULL): one row copied by an
// import, an export or a paste. Prepared once and run for every row.
inline constexpr char kSqlInsertRow[] = "INSERT INTO tab VALUES (?, ?, ?, ?, ?)";
// binds (page blob, id)
inline constexpr char kSqlStorePage[] = "UPDATE tab SET r = ? WHERE id = ?";
// binds (page blob, rowid, id)
inline constexpr char kSqlStorePageByRowid[] = "UPDATE tab SET r = ? WHERE rowid = ? AND id = ?";
// binds (page blob, id) when the rowid finds no row: the first row with the
// id in table order, the one kSqlSelectTitleAndPage reads. One row only, so
// that a saved page is a page stored in exactly one row, even where an
// outside tool wrote the id twice.
inline constexpr char kSqlStorePageFirstById[] =
    "UPDATE tab SET r = ?1 WHERE id = ?2 AND "
    "rowid = (SELECT rowid FROM tab WHERE id = ?2 LIMIT 1)";
// (id) the first child when renumbering siblings.
inline constexpr char kSqlSetFirstOrder[] = "UPDATE tab SET i = 0 WHERE id = %i";
// (order, id)
inline constexpr char kSqlSetOrder[] = "UPDATE tab SET i = %i WHERE id = %i";
// binds (order, rowid, id); kSqlSetFirstOrder or kSqlSetOrder when no row
// is found.
inline constexpr char kSqlSetOrderByRowid[] = "UPDATE tab SET i = ? WHERE rowid = ? AND id = ?";
// (new parent, id) moving a node by cut and paste.
inline constexpr char kSqlSetParent[] = "UPDATE tab SET p = %i WHERE id = %i";
// (new id, old id) marking or unmarking a favourite.
inline constexpr char kSqlSetId[] = "UPDATE tab SET id = %i WHERE id = %i";
// (new parent, old parent) children follow their re-identified parent.
inline constexpr char kSqlMoveChildren[] = "UPDATE tab SET p = %i WHERE p = %i";
// (id)
inline constexpr char kSqlDeleteNode[] = "DELETE FROM tab WHERE id = %i";
// (parent id)
inline constexpr char kSqlDeleteChildren[] = "DELETE FROM tab WHERE p = %i";
inline constexpr char kSqlDeleteAllNodes[] = "DELETE FROM tab";

// --- Import --------------------------------------------------------------------

// (id) the folder put in front of the imported folders.
inline constexpr char kSqlImportInsertSeparator[] =
    "INSERT INTO tab VALUES (%i, 0, 0, '--separator--', null)";
inline constexpr char kSqlImportSelectFolders[] = "SELECT id,t,r FROM tab WHERE p = 0 ORDER BY i";
// (parent id)
inline constexpr char kSqlImportSelectChildren[] =
    "SELECT id,t,r FROM tab WHERE p = %i ORDER BY i";
// (parent id)
inline constexpr char kSqlImportSelectChildPages[] =
    "SELECT t,r FROM tab WHERE p = %i ORDER BY i";

// --- Export --------------------------------------------------------------------

// (parent id)
inline constexpr char kSqlExportSelectChildren[] =
    "SELECT id,p,t,r FROM tab WHERE p = %i ORDER BY i";
// (parent id)
inline constexpr char kSqlExportSelectOrdered[] =
    "SELECT id,i,t,r FROM tab WHERE p = %i ORDER BY i";
// (id), binds (page blob)
inline constexpr char kSqlExportStorePage[] = "UPDATE tab SET r = ? WHERE id = %i";

// --- Attachments -----------------------------------------------------------------

inline constexpr char kSqlCreateAttachments[] = "CREATE TABLE IF NOT EXISTS atach (n TEXT, d BLOB)";
// A clip is added in one statement with its name and bytes bound, inside a
// transaction: no placeholder row is ever left behind. (Libraries written
// before may hold a row named 'newnew' from a failed two-step attach; it
// is listed like any clip and never written over.)
// binds (name text, data blob)
inline constexpr char kSqlInsertAttachment[] = "INSERT INTO atach VALUES (?, ?)";
inline constexpr char kSqlSelectAttachmentNames[] = "SELECT n FROM atach";
// binds (name text)
inline constexpr char kSqlCountAttachmentsNamed[] = "SELECT count(*) FROM atach WHERE n = ?";
inline constexpr char kSqlAttachmentTableExists[] =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'atach'";
// binds (name text)
inline constexpr char kSqlSelectAttachmentData[] = "SELECT d FROM atach WHERE n = ?";
// binds (name text)
inline constexpr char kSqlDeleteAttachment[] = "DELETE FROM atach WHERE n = ?";

// --- Formatting ------------------------------------------------------------------

// One value for a %i placeholder. Texts have no placeholder: they are bound.
using SqlArg = int;

// Fills the placeholders of `pattern` in order: %i takes an integer, %% is
// one percent sign. Returns an empty string when the arguments do not match
// the placeholders in number, or the pattern holds any other %-sequence
// (%s included: texts are bound, never formatted): that is a programming
// error, and an empty statement runs nothing.
std::u16string FormatSql16(std::string_view pattern, std::initializer_list<SqlArg> args = {});
// The same as UTF-8, for the execute path.
std::string FormatSql8(std::string_view pattern, std::initializer_list<SqlArg> args = {});

}  // namespace lw
