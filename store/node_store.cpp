#include "store/node_store.h"

#include "store/cipher_open.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "base/utf.h"
#include "store/file_safety.h"
#include "store/rekey.h"
#include "store/statements.h"
#include "store/tree_ops.h"

namespace fs = std::filesystem;

namespace lw {

namespace {
std::atomic<ExclusiveReadFunction> g_platform_check{nullptr};

// A new library written beside the file it replaces, and the lock the
// library then takes, as one created in place holds it.
constexpr char kSqlCreateLibraryCopy[] =
    "PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = 1; "
    "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB)";
constexpr char kSqlLockNewLibrary[] =
    "PRAGMA locking_mode = exclusive; PRAGMA journal_mode = off; PRAGMA user_version = 1";
}  // namespace

void SetPlatformExclusiveReadCheck(ExclusiveReadFunction check) { g_platform_check.store(check); }

bool CanReadUnshared(const std::u16string& path) {
  if (const ExclusiveReadFunction check = g_platform_check.load()) return check(path);
  {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return false;
  }
  // A connection in exclusive locking mode (a library being created, or a
  // program that locks the file) keeps every other reader out; a read-only
  // connection that reads the header meets its lock. Nothing is written.
  sqlite3* db = nullptr;
  bool held = false;
  if (sqlite3_open_v2(Utf16ToUtf8(path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA schema_version", -1, &st, nullptr);
    if (rc == SQLITE_OK && st) rc = sqlite3_step(st);
    sqlite3_finalize(st);
    held = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
  }
  sqlite3_close_v2(db);
  return !held;
}

OpenOutcome OutcomeOfFailure(int sqlite_code) {
  switch (sqlite_code) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return OpenOutcome::kDamaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return OpenOutcome::kAlreadyOpen;
    default: return OpenOutcome::kFailed;
  }
}

NodeStore::NodeStore(ErrorSink on_error)
    : db_(std::move(on_error)),
      key_hook_(ApplyPassword),
      exclusive_check_(CanReadUnshared) {}

WorkClaim NodeStore::ClaimWork() {
  bool expected = false;
  if (!busy_.compare_exchange_strong(expected, true)) return WorkClaim();
  return WorkClaim(&busy_);
}

bool NodeStore::IsAlreadyOpen(const std::u16string& path) const {
  if (!current_path_.empty() && path == current_path_) return true;
  return exclusive_check_ && !exclusive_check_(path);
}

bool NodeStore::RefusesPath(const std::u16string& path, OpenResult* result) const {
  if (path.size() > kMaxLibraryPathLength) {
    result->outcome = OpenOutcome::kPathTooLong;
    return true;
  }
  if (!current_path_.empty() && path == current_path_) {
    result->outcome = OpenOutcome::kAlreadyOpen;
    return true;
  }
  return false;
}

bool NodeStore::CreateEmptyLibrary(const std::u16string& path) {
  if (KindOfPath(path) == PathKind::kMissing) return db_.CreateLibrary(path);
  // The file the user chose to replace stays whole until the new, empty
  // library is complete beside it; a file that may not be replaced (read-
  // only, a second name, held by another program) is left as it is.
  ReplacementFile file;
  std::string error;
  bool made = file.Create(path, ReplaceRules{kNewLibraryTag, {}}, &error);
  if (made) {
    file.HandOver();
    Db fresh([this](const std::u16string& text) { db_.Report(text); });
    made = fresh.Open(file.temporary()) && fresh.Exec(kSqlCreateLibraryCopy);
    fresh.Close();
    made = made && file.Commit(&error);
  }
  if (!made) {
    if (!error.empty()) db_.Report(Utf8ToUtf16(error));
    return false;
  }
  // Exclusive from the first write on, as a library created in place.
  return db_.Open(path) && db_.Exec(kSqlLockNewLibrary);
}

OpenResult NodeStore::NewLibrary(const std::u16string& path, TreeModel& model) {
  OpenResult result;
  if (busy()) {
    result.outcome = OpenOutcome::kBusy;
    return result;
  }
  if (RefusesPath(path, &result)) return result;
  if (db_.is_open()) Close(model, false);
  if (!CreateEmptyLibrary(path)) {
    model.Clear();
    return result;
  }
  encrypted_ = false;
  format_version_ = 1;
  current_path_ = path;
  model.Reset(FileNamePart(path));
  result.outcome = OpenOutcome::kOpened;
  result.page = SelectItem(*this, model, model.library_root());
  return result;
}

OpenResult NodeStore::OpenLibraryNow(const std::u16string& path, TreeModel& model) {
  return OpenLibrary(ClaimWork(), path, model);
}

OpenResult NodeStore::OpenLibrary(WorkClaim claim, const std::u16string& path,
                                  TreeModel& model) {
  OpenResult result;
  if (!claim) {
    result.outcome = OpenOutcome::kBusy;
    return result;
  }
  if (RefusesPath(path, &result)) return result;
  // Looked at before anything opens it: opening a missing path would create
  // an empty file there, and reading a named pipe would wait for a writer.
  if (const PathKind kind = KindOfPath(path); kind != PathKind::kRegular) {
    result.outcome = kind == PathKind::kMissing ? OpenOutcome::kMissing : OpenOutcome::kNotAFile;
    return result;
  }
  // The connection waiting for this file's password holds the file itself;
  // it is given up before the file is tested, as the retry replaces it.
  if (decryption_pending_ && path == pending_path_) CancelDecryption();
  if (exclusive_check_ && !exclusive_check_(path)) {
    result.outcome = OpenOutcome::kAlreadyOpen;
    return result;
  }
  // A killed re-key's copy may hold every page, in the clear when the
  // password was being cleared; a re-key still running holds its copy and
  // keeps it.
  result.removed_copies = RemoveLibraryCopyLeftovers(path);
  // A text file or a damaged one is no enciphered library: asking for its
  // password would only lead the user astray. The library open so far stays.
  const LibraryFileKind kind = ClassifyLibraryFile(path);
  if (kind == LibraryFileKind::kNotLibrary) {
    result.outcome = OpenOutcome::kNotLibrary;
    return result;
  }
  if (db_.is_open()) Close(model, true);

  encrypted_ = kind == LibraryFileKind::kEnciphered;
  if (!db_.Open(path)) {
    encrypted_ = false;
    model.Clear();
    return result;
  }
  if (encrypted_) {
    if (!password_.empty() && key_hook_) key_hook_(db_, password_);
    if (!ProbeReadable(db_.handle())) {
      // The right password on a damaged file is no reason to ask again.
      if (!password_.empty() && PasswordOpensHeader(path, password_)) {
        return Fail(model, OpenOutcome::kDamaged, &result);
      }
      decryption_pending_ = true;
      pending_path_ = path;
      result.outcome = OpenOutcome::kNeedsPassword;
      return result;
    }
  }
  // The settings of every connection; what they answer does not matter.
  sqlite3_exec(db_.handle(), kSqlOpenSettings, nullptr, nullptr, nullptr);
  format_version_ = db_.FormatVersion();
  current_path_ = path;

  model.BeginLoad();
  model.Reset(FileNamePart(path));
  // The tree's rows lie among the pages' text, so the fill reads the whole
  // file.
  TreeRead read;
  {
    MappedReading mapped(db_);
    read = FillTree(db_, model, &result.report);
  }
  model.EndLoad();
  if (read == TreeRead::kNotLibrary) return Fail(model, OpenOutcome::kNotLibrary, &result);
  if (read != TreeRead::kRead) return Fail(model, OutcomeOfFailure(db_.last_error()), &result);

  // Stamped only once the file has shown itself to be a library, so that
  // opening any other database (or a damaged one) leaves it untouched.
  if (format_version_ == 0) {
    db_.Exec(kSqlStampVersion);
    format_version_ = 1;
  }

  result.outcome = OpenOutcome::kOpened;
  if (memory_.remember_library && memory_.last_node_id != 0 &&
      path == memory_.last_library_path) {
    // The node selected last time, or nothing when it is gone.
    result.page = SelectItem(*this, model, model.ItemOf(memory_.last_node_id));
  } else {
    result.page = SelectItem(*this, model, model.library_root());
  }
  return result;
}

OpenResult NodeStore::Fail(TreeModel& model, OpenOutcome outcome, OpenResult* so_far) {
  Close(model, true);
  // Only what was done to the files is kept: the notice of removed copies.
  OpenResult result;
  result.outcome = outcome;
  result.removed_copies = std::move(so_far->removed_copies);
  return result;
}

void NodeStore::Close(TreeModel& model, bool information_page) {
  if (before_close_ && library_open()) before_close_();
  db_.Close();
  decryption_pending_ = false;
  pending_path_.clear();
  model.Clear();
  current_path_.clear();
  encrypted_ = false;
  memory_.last_library_path.clear();
  if (information_page) memory_.last_node_id = 0;
}

void NodeStore::CancelDecryption() {
  if (!decryption_pending_) return;
  decryption_pending_ = false;
  pending_path_.clear();
  // Only the waiting connection is open: nothing was loaded from it.
  if (current_path_.empty()) db_.Close();
}

}  // namespace lw
