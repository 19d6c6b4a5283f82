// Looking at paths before anything opens them, and replacing a user's file
// only once its successor is complete.
//
// Every file the program writes over (a page or a branch exported, a
// library re-keyed) is written first into a temporary file of its own beside
// the file it replaces, made durable, given the old file's permissions and
// owner, and only then renamed over it. Until that rename the old file is
// untouched, whatever fails (a full disk, a folder that cannot be written,
// a crash); the temporary is removed on every failure path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// --- What a path names ------------------------------------------------------------

enum class PathKind {
  kMissing,      // nothing there (or a symbolic link to nothing)
  kRegular,      // a file of data, links followed
  kDirectory,
  kNamedPipe,
  kDevice,       // a character or block device
  kSocket,
  kOther,        // anything else the system reports
  kUnreachable,  // the system cannot look (a folder on the way is closed to us)
};

// What `path` names, from the file system's metadata alone (stat): nothing
// is opened, so a named pipe cannot block the caller. `reason` gets the
// system's text for kUnreachable.
PathKind KindOfPath(const std::u16string& path, std::string* reason = nullptr);

// "is a directory", "is a named pipe", "is a device", "is a socket", "is not
// a regular file", "does not exist"; empty for kRegular and kUnreachable.
std::string KindText(PathKind kind);

// The path, quoted for a one-line message, with control characters escaped.
std::string QuotedPath(const std::u16string& path);

// --- Replacing a file ---------------------------------------------------------------

// Puts `source` in the place of `target` in one step, so that `target` has
// either its old content or all of `source`'s whatever happens meanwhile,
// and `source` is gone. Answers true once the change is on disk; on failure
// `error` gets a text and nothing has changed.
using FileReplacer = bool (*)(const std::u16string& source, const std::u16string& target,
                              std::u16string* error);

// The portable replacer: a rename, which replaces an existing file on POSIX
// systems, followed by a sync of the folder that makes it durable.
bool ReplaceFileByRename(const std::u16string& source, const std::u16string& target,
                         std::u16string* error);

// The replacer every replacement uses; null restores ReplaceFileByRename.
// The Windows layer installs one built on MoveFileExW at start-up. Not for
// use while a replacement runs.
void SetFileReplacer(FileReplacer replacer);
FileReplacer InstalledFileReplacer();

// How many names (hard links) the file at a path has; 0 when it cannot be
// told. std::filesystem answers 1 on Windows whatever the file system
// holds, so the Windows layer installs a counter that asks it; null
// restores the portable one.
using LinkCounter = std::uintmax_t (*)(const std::u16string& path);
void SetLinkCounter(LinkCounter counter);

struct ReplaceRules {
  // Names the temporary: "NAME.TAG-" twelve hex digits ".tmp", beside the
  // file NAME, so that leftovers of one kind can be told from any user file.
  std::string_view tag = "part";
  // The file the new content is read from (the open library), if any: it is
  // never the target, and a new file is never readable by more people than
  // it is.
  std::u16string source;
};

// Whether a new file may take the place of `target`, and why not: a missing
// file or a regular one (a symbolic link is followed) that is not
// `rules.source`, not read-only, not known by a second name (hard link), and
// that this process may write. The message reads "cannot write 'x': why".
bool CheckReplaceable(const std::u16string& target, const ReplaceRules& rules,
                      std::string* error);

// One replacement of a file: Create, write the temporary (through Write or
// by its name), Commit. Destroyed without a Commit, it removes the
// temporary. Messages read "cannot write 'x': why", with the system's text.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { Discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // CheckReplaceable, then makes the temporary beside the real file (links
  // followed): created new, so that no other file is ever taken over, and
  // readable by its owner only until Commit.
  bool Create(const std::u16string& target, const ReplaceRules& rules, std::string* error);
  // The file Commit replaces: the target with its symbolic links followed.
  const std::u16string& destination() const { return destination_; }
  const std::u16string& temporary() const { return temporary_; }

  // Appends `bytes` to the temporary.
  bool Write(std::string_view bytes, std::string* error);
  // For a writer that opens the temporary by its name (SQLite): on Windows a
  // file that is open here could not be renamed, so the handle is closed.
  void HandOver();
  // Makes the temporary durable, gives it the target's permission bits and
  // owner (a new file: the bits of a new file under the umask, no wider than
  // the source's), and puts it in the target's place with `replace` (null:
  // the installed replacer).
  bool Commit(std::string* error, FileReplacer replace = nullptr);
  // Removes the temporary, if it is still there.
  void Discard();

 private:
  bool Fail(const std::string& why, std::string* error) const;

  std::u16string shown_;  // the target as the user named it
  std::u16string destination_;
  std::u16string temporary_;
  int fd_ = -1;
  unsigned mode_ = 0;
  long long owner_ = -1, group_ = -1;  // -1: leave as created
};

// Writes `bytes` as the whole new content of `target` through a
// ReplacementFile.
bool WriteFileReplacing(const std::u16string& target, std::string_view bytes,
                        const ReplaceRules& rules, std::string* error);

// Removes the temporaries of `tag` left beside `target` (links followed) by
// a process that was killed: regular files whose names follow the pattern
// exactly and that no running replacement holds. Answers their paths.
std::vector<std::u16string> RemoveLeftovers(const std::u16string& target, std::string_view tag);

}  // namespace lw
