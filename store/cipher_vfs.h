// The page cipher of enciphered libraries, as an SQLite file layer (VFS).
//
// SQLite as built here has no codec hooks, so the cipher sits between SQLite
// and the platform's own file layer, which it wraps: every page of a keyed
// main database file is deciphered as it is read and enciphered as it is
// written (the pager's copy of a page stays plain; the write goes out from a
// scratch buffer). A file without a key passes through unchanged, so plain
// libraries can be opened through the same layer. The layer is registered
// under its own name and never made SQLite's default.
//
// What it does with each kind of file:
//  - main database: ciphered when keyed (see cipher_key.h for the format);
//    the page that holds the lock byte at 1 GiB is never ciphered (SQLite
//    neither reads nor writes it); the page size comes from the file's
//    header, also across a VACUUM that changes it;
//  - rollback journal and WAL file of a keyed database: refused (the open
//    fails), so that no page of an enciphered library ever reaches the disk
//    in the clear; libraries run with the journal off, so none is needed;
//  - temporary files, statement journals and the journals of plain
//    databases: passed through.
// Memory-mapped reads are refused for keyed files (SQLite then reads through
// the layer), so nothing can bypass the cipher.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "store/cipher_key.h"

struct sqlite3;
struct sqlite3_file;

namespace lw {

inline constexpr char kCipherVfsName[] = "lorewell-cipher";

// Registers the layer once; later calls only answer. False when SQLite has
// no default file layer to wrap. Safe to call from any thread.
bool RegisterCipherVfs();

// Opens the database at `path` (UTF-8) through the cipher layer, as
// sqlite3_open_v2 does (read-write, created when missing), with `key`
// already in place, so that even the header SQLite reads while opening is
// deciphered. Returns SQLite's result; `*db` must be closed either way.
int OpenCipherConnection(const char* path, const std::optional<CipherKey>& key, sqlite3** db);

// Gives the database `schema` of `db` (opened through the cipher layer) the
// `key`, or with no key makes it plain again. Pages the connection reads
// from then on are deciphered with it, and pages it writes enciphered; the
// connection's page cache is dropped, so no page read under another key
// survives. Meant for a connection just opened, before its first statement
// and with no transaction open. (SQLite read the header once while opening,
// before any key could be given: until a statement reads the schema,
// "PRAGMA page_size" may report a size from that reading.) Returns
// SQLITE_OK, or SQLITE_NOTFOUND when that database is not a file of the
// cipher layer.
int SetCipherKey(sqlite3* db, const std::optional<CipherKey>& key, const char* schema = "main");
// Whether that database file currently has a key.
bool HasCipherKey(sqlite3* db, const char* schema = "main");

// A file of the cipher layer opened on its own, without a connection and
// without a key: its bytes as they are on disk, for copying a library page
// by page. The calls return SQLite result codes. Move-only; closes itself.
class CipherLayerFile {
 public:
  CipherLayerFile() = default;
  ~CipherLayerFile();
  CipherLayerFile(const CipherLayerFile&) = delete;
  CipherLayerFile& operator=(const CipherLayerFile&) = delete;

  // `path` in UTF-8; `create` opens it for writing, made when missing.
  int Open(const std::string& path, bool create);
  // A read past the end fills with zeros and answers SQLITE_IOERR_SHORT_READ.
  int Read(void* data, int size, int64_t offset);
  int Write(const void* data, int size, int64_t offset);
  int Sync();
  int Size(int64_t* size);
  int Close();

 private:
  std::unique_ptr<char[]> memory_;
  sqlite3_file* file_ = nullptr;
  const char* name_ = nullptr;
};

// --- Fault injection, for tests ----------------------------------------------

enum class CipherIo { kOpen, kRead, kWrite, kSync, kTruncate };

// Asked before every such operation on any file of the cipher layer, with the
// file's name (null for nameless temporary files). Answering true makes the
// operation fail with an I/O error without touching the file. The hook may
// be called from any thread that uses a connection of the layer.
using CipherFaultHook = std::function<bool(CipherIo op, const char* path)>;
// Installs `hook`; an empty one removes it.
void SetCipherFaultHook(CipherFaultHook hook);

}  // namespace lw
