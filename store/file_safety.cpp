#include "store/file_safety.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "base/utf.h"

namespace fs = std::filesystem;

namespace lw {

namespace {

std::atomic<FileReplacer> g_replacer{nullptr};

std::string SystemText(int code) { return std::generic_category().message(code); }

// --- The platform's file calls ------------------------------------------------------

#ifdef _WIN32

int OpenNewFile(const fs::path& path) {
  return ::_wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}
int OpenExisting(const fs::path& path) { return ::_wopen(path.c_str(), _O_RDWR | _O_BINARY); }
long WriteSome(int fd, const char* data, std::size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
}
int SyncFile(int fd) { return ::_commit(fd); }
void CloseFile(int fd) { ::_close(fd); }
bool MayWrite(const fs::path& path) { return ::_waccess(path.c_str(), 2) == 0; }
// Windows has no owner to keep here, and a read-only file is refused.
bool HoldAsOurs(int) { return true; }
bool RemoveUnheld(const fs::path& path) {
  // A temporary in use is open without delete sharing and cannot be removed.
  std::error_code ec;
  return fs::remove(path, ec);
}

#else

int OpenNewFile(const fs::path& path) {
  return ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
}
int OpenExisting(const fs::path& path) {
  return ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
}
long WriteSome(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
int SyncFile(int fd) { return ::fsync(fd); }
void CloseFile(int fd) { ::close(fd); }
bool MayWrite(const fs::path& path) { return ::access(path.c_str(), W_OK) == 0; }

// A temporary is locked for as long as its replacement runs, so that the
// removal of leftovers (another process opening the same library) can tell
// it from the copy of a process that was killed. flock, not fcntl: SQLite
// opens the same file, and closing its descriptor would drop an fcntl lock.
bool HoldAsOurs(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

bool RemoveUnheld(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  const bool removed = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
                       HoldAsOurs(fd) && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return removed;
}

// The umask is only readable by setting it; the strict value in between
// makes a file created meanwhile by another thread more private, not less.
unsigned CurrentUmask() {
  const mode_t mask = ::umask(077);
  ::umask(mask);
  return mask;
}

#endif

// --- Names --------------------------------------------------------------------------

constexpr std::size_t kRandomDigits = 12;

std::u16string RandomDigits() {
  static std::atomic<unsigned> counter{0};
  std::uint64_t x = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  try {
    std::random_device device;
    x ^= (std::uint64_t{device()} << 32) ^ device();
  } catch (const std::exception&) {
    // The clock and the counter alone still make names that O_EXCL checks.
  }
  x ^= std::uint64_t{counter.fetch_add(1)} << 40;
  std::u16string digits(kRandomDigits, u'0');
  for (char16_t& d : digits) {
    d = u"0123456789abcdef"[x & 15];
    x >>= 4;
  }
  return digits;
}

std::u16string TemporaryPrefix(const fs::path& real, std::string_view tag) {
  return real.filename().u16string() + u"." + Utf8ToUtf16(tag) + u"-";
}

bool IsTemporaryName(const std::u16string& name, const std::u16string& prefix) {
  const std::u16string suffix = u".tmp";
  if (name.size() != prefix.size() + kRandomDigits + suffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
  for (std::size_t k = prefix.size(); k < prefix.size() + kRandomDigits; ++k) {
    const char16_t c = name[k];
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
  }
  return true;
}

// The path of a symbolic link's final file; any other path as it is.
bool FollowLinks(const fs::path& given, fs::path* real, std::string* why) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(given, ec))) {
    *real = given;
    return true;
  }
  *real = fs::canonical(given, ec);
  if (!ec) return true;
  std::error_code target_ec;
  *why = fs::status(given, target_ec).type() == fs::file_type::not_found
             ? "it is a symbolic link to a missing file"
             : ec.message();
  return false;
}

std::atomic<LinkCounter> g_link_counter{nullptr};

std::uintmax_t CountLinks(const fs::path& path) {
  if (const LinkCounter count = g_link_counter.load()) return count(path.u16string());
  std::error_code ec;
  const std::uintmax_t links = fs::hard_link_count(path, ec);
  return ec ? 0 : links;
}

// Why a new file may not take the place of `real` (already followed); empty
// when it may. `*exists` tells a replacement from a new file.
std::string TargetRefusal(const fs::path& real, const ReplaceRules& rules, bool* exists) {
  std::string reason;
  const PathKind kind = KindOfPath(real.u16string(), &reason);
  *exists = kind == PathKind::kRegular;
  if (kind == PathKind::kMissing) return {};
  if (kind == PathKind::kUnreachable) return reason;
  if (kind != PathKind::kRegular) return "it " + KindText(kind);
  std::error_code ec;
  if (!rules.source.empty() && fs::equivalent(real, fs::path(rules.source), ec)) {
    return "it is the library itself";
  }
  const fs::perms writable = fs::perms::owner_write | fs::perms::group_write |
                             fs::perms::others_write;
  if ((fs::status(real, ec).permissions() & writable) == fs::perms::none) {
    return "it is read-only";
  }
  const std::uintmax_t links = CountLinks(real);
  if (links > 1) {
    // Its other names would keep the old content: the user would find two
    // different files where there was one.
    return "it has " + std::to_string(links) + " names (hard links), which a new file would "
           "separate";
  }
  if (!MayWrite(real)) return SystemText(errno);
  return {};
}

bool CheckTarget(const std::u16string& target, const ReplaceRules& rules, fs::path* real,
                 bool* exists, std::string* error) {
  std::string why;
  if (FollowLinks(fs::path(target), real, &why)) why = TargetRefusal(*real, rules, exists);
  if (why.empty()) return true;
  if (error) *error = "cannot write " + QuotedPath(target) + ": " + why;
  return false;
}

// A new temporary beside `real`, opened; -1 with errno set when none could
// be made.
int CreateTemporary(const fs::path& real, std::string_view tag, fs::path* temporary) {
  const std::u16string prefix = TemporaryPrefix(real, tag);
  for (int attempt = 0; attempt < 32; ++attempt) {
    *temporary = real.parent_path() / fs::path(prefix + RandomDigits() + u".tmp");
    const int fd = OpenNewFile(*temporary);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Locked, and still under its name: a removal of leftovers that saw the
    // name before the lock could have taken it.
    std::error_code ec;
    if (HoldAsOurs(fd) && fs::exists(fs::symlink_status(*temporary, ec))) return fd;
    CloseFile(fd);
  }
  errno = EEXIST;
  return -1;
}

// The bits and owner the new file is to get: those of the file it replaces;
// for a new file, what the umask leaves of 0666, and no more than the source
// grants, so that a page of a private library does not become readable by
// everyone because it was exported.
void PlanOwnership(const fs::path& real, bool exists, const std::u16string& source,
                   unsigned* mode, long long* owner, long long* group) {
  *owner = *group = -1;
#ifdef _WIN32
  // Windows keeps only the read-only attribute, and a read-only file is
  // refused; a new file is writable as it is created.
  (void)real, (void)exists, (void)source;
  *mode = 0666;
#else
  struct stat st {};
  if (exists && ::stat(real.c_str(), &st) == 0) {
    *mode = st.st_mode & 0777;
    *owner = st.st_uid;
    *group = st.st_gid;
    return;
  }
  *mode = 0666 & ~CurrentUmask();
  if (!source.empty() && ::stat(fs::path(source).c_str(), &st) == 0) {
    *mode &= (st.st_mode & 0777) | 0600;
  }
#endif
}

// Makes the temporary durable and gives it the planned bits and owner;
// answers 0 or the errno of the failure.
int SealTemporary(const fs::path& temporary, unsigned mode, long long owner, long long group) {
  const int fd = OpenExisting(temporary);
  if (fd < 0) return errno;
  int failure = SyncFile(fd) == 0 ? 0 : errno;
#ifdef _WIN32
  (void)mode, (void)owner, (void)group;
#else
  struct stat st {};
  if (failure == 0 && ::fstat(fd, &st) != 0) failure = errno;
  if (failure == 0 && group >= 0 && st.st_gid != static_cast<gid_t>(group) &&
      ::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(group)) != 0) {
    // A group this process cannot give the file loses its bits rather than
    // handing them to the process's own group.
    mode &= ~070u;
  }
  if (failure == 0 && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) failure = errno;
  // Only the superuser may give a file away; anyone else's copy is theirs.
  if (failure == 0 && owner >= 0 && st.st_uid != static_cast<uid_t>(owner)) {
    (void)!::fchown(fd, static_cast<uid_t>(owner), static_cast<gid_t>(-1));
  }
#endif
  CloseFile(fd);
  return failure;
}

}  // namespace

// --- What a path names ------------------------------------------------------------

PathKind KindOfPath(const std::u16string& path, std::string* reason) {
  std::error_code ec;
  const fs::file_status status = fs::status(fs::path(path), ec);
  switch (status.type()) {
    case fs::file_type::not_found: return PathKind::kMissing;
    case fs::file_type::regular: return PathKind::kRegular;
    case fs::file_type::directory: return PathKind::kDirectory;
    case fs::file_type::fifo: return PathKind::kNamedPipe;
    case fs::file_type::block:
    case fs::file_type::character: return PathKind::kDevice;
    case fs::file_type::socket: return PathKind::kSocket;
    case fs::file_type::none:
      if (reason) *reason = ec.message();
      return PathKind::kUnreachable;
    default: return PathKind::kOther;
  }
}

std::string KindText(PathKind kind) {
  switch (kind) {
    case PathKind::kMissing: return "does not exist";
    case PathKind::kDirectory: return "is a directory";
    case PathKind::kNamedPipe: return "is a named pipe";
    case PathKind::kDevice: return "is a device";
    case PathKind::kSocket: return "is a socket";
    case PathKind::kOther: return "is not a regular file";
    default: return {};
  }
}

std::string QuotedPath(const std::u16string& path) { return "'" + DisplayText(path) + "'"; }

// --- Replacing a file ---------------------------------------------------------------

bool ReplaceFileByRename(const std::u16string& source, const std::u16string& target,
                         std::u16string* error) {
  std::error_code ec;
  fs::rename(fs::path(source), fs::path(target), ec);
  if (ec) {
    if (error) *error = Utf8ToUtf16(ec.message());
    return false;
  }
#ifndef _WIN32
  // The new name is on the disk only once the folder is. The file has been
  // replaced either way, so a failure here is not one of the replacement.
  const fs::path folder = fs::path(target).parent_path();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#endif
  return true;
}

void SetFileReplacer(FileReplacer replacer) { g_replacer.store(replacer); }

void SetLinkCounter(LinkCounter counter) { g_link_counter.store(counter); }

FileReplacer InstalledFileReplacer() {
  const FileReplacer replacer = g_replacer.load();
  return replacer ? replacer : ReplaceFileByRename;
}

bool CheckReplaceable(const std::u16string& target, const ReplaceRules& rules,
                      std::string* error) {
  fs::path real;
  bool exists = false;
  return CheckTarget(target, rules, &real, &exists, error);
}

bool ReplacementFile::Fail(const std::string& why, std::string* error) const {
  if (error) *error = "cannot write " + QuotedPath(shown_) + ": " + why;
  return false;
}

void ReplacementFile::Discard() {
  if (fd_ >= 0) CloseFile(fd_);
  fd_ = -1;
  if (temporary_.empty()) return;
  std::error_code ec;
  fs::remove(fs::path(temporary_), ec);
  temporary_.clear();
}

void ReplacementFile::HandOver() {
#ifdef _WIN32
  if (fd_ >= 0) CloseFile(fd_);
  fd_ = -1;
#endif
}

bool ReplacementFile::Create(const std::u16string& target, const ReplaceRules& rules,
                             std::string* error) {
  Discard();
  shown_ = target;
  fs::path real;
  bool exists = false;
  if (!CheckTarget(target, rules, &real, &exists, error)) return false;
  PlanOwnership(real, exists, rules.source, &mode_, &owner_, &group_);
  fs::path temporary;
  fd_ = CreateTemporary(real, rules.tag, &temporary);
  if (fd_ < 0) return Fail(SystemText(errno), error);
  temporary_ = temporary.u16string();
  destination_ = real.u16string();
  return true;
}

bool ReplacementFile::Write(std::string_view bytes, std::string* error) {
  if (fd_ < 0) return Fail(SystemText(EBADF), error);
  while (!bytes.empty()) {
    const long n = WriteSome(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int code = n < 0 ? errno : EIO;
      Discard();
      return Fail(SystemText(code), error);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool ReplacementFile::Commit(std::string* error, FileReplacer replace) {
  if (temporary_.empty()) return Fail(SystemText(ENOENT), error);
  const int failure = SealTemporary(fs::path(temporary_), mode_, owner_, group_);
  if (failure != 0) {
    Discard();
    return Fail(SystemText(failure), error);
  }
  HandOver();
  std::u16string why;
  if (!(replace ? replace : InstalledFileReplacer())(temporary_, destination_, &why)) {
    Discard();
    return Fail(Utf16ToUtf8(why), error);
  }
  temporary_.clear();  // it is the destination now
  Discard();           // and the lock on it is let go
  return true;
}

bool WriteFileReplacing(const std::u16string& target, std::string_view bytes,
                        const ReplaceRules& rules, std::string* error) {
  ReplacementFile file;
  return file.Create(target, rules, error) && file.Write(bytes, error) && file.Commit(error);
}

std::vector<std::u16string> RemoveLeftovers(const std::u16string& target, std::string_view tag) {
  fs::path real;
  std::string why;
  if (!FollowLinks(fs::path(target), &real, &why)) real = fs::path(target);
  const std::u16string prefix = TemporaryPrefix(real, tag);
  const fs::path folder = real.parent_path().empty() ? fs::path(".") : real.parent_path();
  std::vector<std::u16string> removed;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& entry = it->path();
    if (!IsTemporaryName(entry.filename().u16string(), prefix)) continue;
    std::error_code kind_ec;
    if (!fs::is_regular_file(fs::symlink_status(entry, kind_ec))) continue;
    if (RemoveUnheld(entry)) removed.push_back(entry.u16string());
  }
  return removed;
}

}  // namespace lw
