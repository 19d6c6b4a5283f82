// The open library: the one connection and the state around it, and the
// lifecycle of library files (new, open, close).
//
// One NodeStore lives for the whole process. At most one library is open;
// creating or opening another closes the current one first. Opening runs on
// a worker thread: the window layer claims the busy flag on its own thread
// (ClaimWork), hands the claim to the thread, and the thread runs
// OpenLibrary, which releases the flag when it returns. While the flag is
// set the tree and the library commands are refused, so the worker and the
// user never issue statements at the same time.
//
// Failures of SQLite calls go to the one ErrorSink (shown with the error
// icon); the outcomes below tell the window layer which of its own messages
// to show.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/db.h"
#include "store/tree_fill.h"
#include "store/tree_model.h"

namespace lw {

// Paths are held in buffers of 260 UTF-16 units, the last one a NUL.
inline constexpr std::size_t kMaxLibraryPathLength = 259;

// What the program remembers of its libraries from one run to the next, as
// the store keeps it. The window layer fills it from the settings file at
// start and copies it back before the file is written; the store itself
// never sees the settings.
struct LibraryMemory {
  // Reopen the last library and select its last node (the settings'
  // "store last library" choice).
  bool remember_library = false;
  // The node selected last; 0 for the information page.
  int last_node_id = 0;
  // The library open at the last close; empty while none is open.
  std::u16string last_library_path;
};

enum class OpenOutcome {
  kOpened,         // the library is open and the tree filled
  kAlreadyOpen,    // message 35: the path is the open library, or another
                   // program (or connection) holds the file
  kMissing,        // message 36: no file at the path
  kNotAFile,       // a directory, a named pipe, a device or a socket: never
                   // opened (a pipe would block the first read)
  kPathTooLong,    // the path has more than kMaxLibraryPathLength units
  kBusy,           // a worker owns the library; the request is ignored
  kNeedsPassword,  // message 44: the file is enciphered and the key did not
                   // read it; decryption is pending for the path
  kNotLibrary,     // empty, text, a damaged header, or a database without a
                   // library's table; the library open before stays open
  kDamaged,        // a library whose pages cannot be read (the password, if
                   // any, is right); SQLite's text was reported
  kFailed,         // SQLite's text was reported; no library is open
};

// The outcome of a failed read of a library, from SQLite's result code:
// damaged for a corrupt file, already open for a locked one.
OpenOutcome OutcomeOfFailure(int sqlite_code);

struct OpenResult {
  OpenOutcome outcome = OpenOutcome::kFailed;
  LoadReport report;
  // What the page pane shows after a successful open or creation.
  ShownPage page;
  // Copies that re-keys of this library left when their process was killed,
  // found beside it and removed before it was read; the user is told.
  std::vector<std::u16string> removed_copies;
};

// Holds the busy flag ("internal process running") while it lives; empty
// when the flag was taken already. Move it into the worker that owns the
// library.
class WorkClaim {
 public:
  WorkClaim() = default;
  ~WorkClaim() { Release(); }
  WorkClaim(WorkClaim&& other) noexcept : flag_(std::exchange(other.flag_, nullptr)) {}
  WorkClaim& operator=(WorkClaim&& other) noexcept {
    if (this != &other) {
      Release();
      flag_ = std::exchange(other.flag_, nullptr);
    }
    return *this;
  }
  WorkClaim(const WorkClaim&) = delete;
  WorkClaim& operator=(const WorkClaim&) = delete;

  explicit operator bool() const { return flag_ != nullptr; }
  void Release() {
    if (flag_) flag_->store(false);
    flag_ = nullptr;
  }

 private:
  friend class NodeStore;
  explicit WorkClaim(std::atomic<bool>* flag) : flag_(flag) {}
  std::atomic<bool>* flag_ = nullptr;
};

class NodeStore {
 public:
  // Called right after an enciphered file is opened, when a password is set,
  // to attach it as the key (the page cipher's ApplyPassword by default). False when the key could not be attached (the
  // hook reports why); the probe then decides as for a wrong key.
  using KeyHook = std::function<bool(Db& db, const std::u16string& password)>;
  // True when the file at the path can be opened for reading with no
  // sharing. The Windows layer supplies a CreateFileW check with share mode
  // 0; the default (CanReadUnshared) works with what the core can see.
  using ExclusiveReadCheck = std::function<bool(const std::u16string& path)>;

  explicit NodeStore(ErrorSink on_error);
  NodeStore(const NodeStore&) = delete;
  NodeStore& operator=(const NodeStore&) = delete;

  // --- State --------------------------------------------------------------------

  Db& db() { return db_; }
  LibraryMemory& memory() { return memory_; }
  // A library is loaded (a connection and a current path).
  bool library_open() const { return db_.is_open() && !current_path_.empty(); }
  const std::u16string& current_path() const { return current_path_; }
  // The file did not begin with "SQLite" when opened, or a password was set
  // on it later; the tree is tinted then.
  bool encrypted() const { return encrypted_; }
  void set_encrypted(bool on) { encrypted_ = on; }
  int format_version() const { return format_version_; }
  const std::u16string& password() const { return password_; }
  void set_password(std::u16string password) { password_ = std::move(password); }
  // An enciphered file waits for its password; its connection is open.
  bool decryption_pending() const { return decryption_pending_; }
  const std::u16string& pending_path() const { return pending_path_; }

  // --- Busy flag ----------------------------------------------------------------

  bool busy() const { return busy_.load(); }
  // Takes the busy flag; an empty claim when a worker holds it already.
  WorkClaim ClaimWork();

  // --- Seams --------------------------------------------------------------------

  void SetKeyHook(KeyHook hook) { key_hook_ = std::move(hook); }
  void SetExclusiveReadCheck(ExclusiveReadCheck check) { exclusive_check_ = std::move(check); }
  // Called first by Close, while the connection is still open, to save the
  // pages being edited.
  void SetBeforeClose(std::function<void()> hook) { before_close_ = std::move(hook); }

  // --- Lifecycle ----------------------------------------------------------------

  // The "already open" rule: the path is the open library, or the file
  // cannot be opened for exclusive reading.
  bool IsAlreadyOpen(const std::u16string& path) const;

  // A new, empty library at `path`, replacing any file there. The current
  // library is closed first (without the information page); the connection
  // keeps the file locked exclusively until it is closed. On success the
  // model holds the two roots with the library root selected.
  OpenResult NewLibrary(const std::u16string& path, TreeModel& model);

  // The open worker: opens `path` and fills `model`. `claim` must hold the
  // busy flag (kBusy otherwise); it is released on return. Opening changes
  // nothing in the file except stamping a version-0 library as version 1,
  // and that only once the tree has been read.
  OpenResult OpenLibrary(WorkClaim claim, const std::u16string& path, TreeModel& model);
  // ClaimWork and OpenLibrary on the calling thread.
  OpenResult OpenLibraryNow(const std::u16string& path, TreeModel& model);

  // Closes the library (or a connection left by a pending decryption): the
  // pages are saved through the before-close hook, the connection closed,
  // the model emptied, the current path and the remembered library path
  // cleared. With the information page the remembered node becomes 0 (the
  // window layer then shows
  // the information report; without it, an empty page).
  void Close(TreeModel& model, bool information_page);

  // Leaves the pending decryption (a strip button was clicked): the waiting
  // connection is closed so that the file is free again.
  void CancelDecryption();

 private:
  OpenResult Fail(TreeModel& model, OpenOutcome outcome, OpenResult* so_far);
  // An empty library at `path`, open on the store's connection.
  bool CreateEmptyLibrary(const std::u16string& path);
  // A path too long to store or naming the open library; sets the outcome.
  bool RefusesPath(const std::u16string& path, OpenResult* result) const;

  Db db_;
  LibraryMemory memory_;
  std::u16string current_path_;
  bool encrypted_ = false;
  int format_version_ = 0;
  std::u16string password_;
  bool decryption_pending_ = false;
  std::u16string pending_path_;
  std::atomic<bool> busy_{false};
  KeyHook key_hook_;
  ExclusiveReadCheck exclusive_check_;
  std::function<void()> before_close_;
};

// Names the temporary of a new library that replaces a file.
inline constexpr char kNewLibraryTag[] = "new";

// The exclusive-read check: the file opens for reading, and no other
// connection holds it with an exclusive lock (as a library being created,
// or one open in another program that locks it, does). Once the platform
// layer has installed its own check (on Windows, opening the file with no
// sharing at all), that one answers instead, for the window and the
// command-line tool alike.
bool CanReadUnshared(const std::u16string& path);

// Installs the platform's exclusive-read check; null restores the portable
// one. Called once at start-up, before any library is opened.
using ExclusiveReadFunction = bool (*)(const std::u16string& path);
void SetPlatformExclusiveReadCheck(ExclusiveReadFunction check);

}  // namespace lw
