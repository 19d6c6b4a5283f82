#include "store/cipher_vfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace lw {

namespace {

// File-control opcodes of this layer; SQLite leaves numbers above 100 to
// applications.
constexpr int kFcntlSetKeystream = 0x4C570101;
constexpr int kFcntlHasKey = 0x4C570102;

// SQLite keeps the byte at 1 GiB and the bytes after it for locks and never
// reads or writes the page that holds them.
constexpr sqlite3_int64 kLockBytePage = 0x40000000;

constexpr int kMinPageSize = 512;

bool IsPageSize(sqlite3_int64 n) {
  return n >= kMinPageSize && n <= static_cast<sqlite3_int64>(kMaxPageSize) && (n & (n - 1)) == 0;
}

// --- Fault injection -------------------------------------------------------------

std::atomic<bool> g_fault_set{false};
std::mutex g_fault_mutex;
CipherFaultHook g_fault_hook;

bool Fault(CipherIo op, const char* path) {
  if (!g_fault_set.load(std::memory_order_acquire)) return false;
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  return g_fault_hook && g_fault_hook(op, path);
}

// --- The file object ---------------------------------------------------------------

// SQLite allocates szOsFile bytes for each file; this object takes the front
// and the wrapped layer's own file object follows it.
struct CipherFile {
  sqlite3_file base;  // must come first: SQLite sees only this
  sqlite3_file* real = nullptr;
  const char* name = nullptr;
  bool main_db = false;
  // The key stream when keyed; none for a plain file.
  std::shared_ptr<const PageKeystream> keystream;
  // The page size that places bytes within their pages: the file header's,
  // once known; 0 until then.
  sqlite3_int64 page_size = 0;
  // A page to be written is enciphered here, never in SQLite's buffer.
  std::vector<uint8_t> scratch;
  // The byte ranges written (start to end) since the file was last synced
  // or its page 1 written: the ones placed by `page_size` on trust (see
  // RemapWritten).
  std::map<sqlite3_int64, sqlite3_int64> written;
};

// The key stream that OpenCipherConnection gives the main file it opens on
// this thread. SQLite opens the file on the caller's thread, inside the call.
thread_local const std::shared_ptr<const PageKeystream>* t_opening_keystream = nullptr;

constexpr size_t kRealOffset = (sizeof(CipherFile) + 15) & ~size_t{15};

CipherFile* Cast(sqlite3_file* f) { return reinterpret_cast<CipherFile*>(f); }

// The page size in header bytes 16 and 17 (big-endian; 1 stands for 65536),
// or 0 when they do not hold a valid one.
sqlite3_int64 HeaderPageSize(uint8_t b16, uint8_t b17) {
  const sqlite3_int64 size =
      (static_cast<sqlite3_int64>(b16) << 8) | (static_cast<sqlite3_int64>(b17) << 16);
  return IsPageSize(size) ? size : 0;
}

// Every page is XORed with the key stream from its own start, so what
// counts is each byte's position within its page, and so the page size.
// Once the header has given it, that is the page size; before, an access of
// exactly one page size at a multiple of it is taken for a page (the first
// pages SQLite writes to a new file), and the first 512 bytes, which lie in
// page 1 whatever its size, can be placed (the header reads). 0 when the
// position cannot be known.
sqlite3_int64 PageSizeFor(CipherFile* f, sqlite3_int64 size, sqlite3_int64 offset) {
  if (f->page_size) return f->page_size;
  if (IsPageSize(size) && offset % size == 0) return f->page_size = size;
  if (offset + size <= kMinPageSize) return kMinPageSize;
  return 0;
}

// Ciphers `size` bytes that lie at `offset` in a file of `page`-byte pages,
// from `src` into `dst` (which may be `src`). The lock-byte page is copied
// as it is.
void Cipher(const PageKeystream& ks, sqlite3_int64 page, uint8_t* dst, const uint8_t* src,
            sqlite3_int64 size, sqlite3_int64 offset) {
  while (size > 0) {
    const sqlite3_int64 pos = offset % page;
    const sqlite3_int64 chunk = std::min(size, page - pos);
    if (offset - pos == kLockBytePage) {
      if (dst != src) std::memcpy(dst, src, static_cast<size_t>(chunk));
    } else {
      ks.Apply(dst, src, static_cast<size_t>(chunk), static_cast<size_t>(pos));
    }
    dst += chunk;
    src += chunk;
    offset += chunk;
    size -= chunk;
  }
}

void RecordWrite(CipherFile* f, sqlite3_int64 start, sqlite3_int64 end) {
  auto next = f->written.upper_bound(start);
  if (next != f->written.begin()) {
    auto before = std::prev(next);
    if (before->second >= start) {
      start = before->first;
      end = std::max(end, before->second);
      next = f->written.erase(before);
    }
  }
  while (next != f->written.end() && next->first <= end) {
    end = std::max(end, next->second);
    next = f->written.erase(next);
  }
  f->written[start] = end;
}

// A VACUUM that changes the page size copies the new pages into buffers of
// the old size, and the file's header tells the new size only when page 1
// is written, which comes last when SQLite had to spill pages from its
// cache first. Those pages went out placed by the old size; here they are
// read back and placed by the new one.
int RemapWritten(CipherFile* f, sqlite3_int64 old_page, sqlite3_int64 new_page) {
  sqlite3_file* real = f->real;
  sqlite3_int64 file_size = 0;
  int rc = real->pMethods->xFileSize(real, &file_size);
  std::vector<uint8_t> buffer;
  for (const auto& [start, end] : f->written) {
    for (sqlite3_int64 at = start; rc == SQLITE_OK && at < std::min(end, file_size);) {
      const sqlite3_int64 n =
          std::min(std::min(end, file_size) - at, static_cast<sqlite3_int64>(kMaxPageSize));
      buffer.resize(static_cast<size_t>(n));
      rc = real->pMethods->xRead(real, buffer.data(), static_cast<int>(n), at);
      if (rc != SQLITE_OK) break;
      Cipher(*f->keystream, old_page, buffer.data(), buffer.data(), n, at);
      Cipher(*f->keystream, new_page, buffer.data(), buffer.data(), n, at);
      rc = real->pMethods->xWrite(real, buffer.data(), static_cast<int>(n), at);
      at += n;
    }
    if (rc != SQLITE_OK) break;
  }
  f->written.clear();
  return rc;
}

// --- I/O methods -------------------------------------------------------------------

int xClose(sqlite3_file* file) {
  CipherFile* f = Cast(file);
  int rc = SQLITE_OK;
  if (f->real->pMethods) rc = f->real->pMethods->xClose(f->real);
  f->~CipherFile();
  file->pMethods = nullptr;
  return rc;
}

int xRead(sqlite3_file* file, void* buf, int amount, sqlite3_int64 offset) {
  CipherFile* f = Cast(file);
  if (Fault(CipherIo::kRead, f->name)) return SQLITE_IOERR_READ;
  const int rc = f->real->pMethods->xRead(f->real, buf, amount, offset);
  if (!f->keystream || (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ)) return rc;

  // A read past the end of the file comes back zero-filled, and zeros are
  // what SQLite must see there (an empty database reads as one): only the
  // bytes that came from the file are deciphered.
  sqlite3_int64 valid = amount;
  if (rc == SQLITE_IOERR_SHORT_READ) {
    sqlite3_int64 file_size = 0;
    if (f->real->pMethods->xFileSize(f->real, &file_size) != SQLITE_OK) return SQLITE_IOERR_READ;
    valid = std::clamp<sqlite3_int64>(file_size - offset, 0, amount);
  }
  auto* bytes = static_cast<uint8_t*>(buf);
  if (offset <= 16 && offset + valid >= 18) {
    const uint8_t* k = f->keystream->bytes();
    const sqlite3_int64 header =
        HeaderPageSize(bytes[16 - offset] ^ k[16], bytes[17 - offset] ^ k[17]);
    if (header) f->page_size = header;
  }
  if (valid == 0) return rc;
  const sqlite3_int64 page = PageSizeFor(f, valid, offset);
  if (!page) return SQLITE_IOERR_READ;
  Cipher(*f->keystream, page, bytes, bytes, valid, offset);
  return rc;
}

int xWrite(sqlite3_file* file, const void* buf, int amount, sqlite3_int64 offset) {
  CipherFile* f = Cast(file);
  if (Fault(CipherIo::kWrite, f->name)) return SQLITE_IOERR_WRITE;
  if (!f->keystream) return f->real->pMethods->xWrite(f->real, buf, amount, offset);

  const auto* plain = static_cast<const uint8_t*>(buf);
  if (offset == 0 && amount >= 18) {
    // Page 1 with the header: its page size places every page from now on,
    // and pages written just before under another size are set right.
    const sqlite3_int64 header = HeaderPageSize(plain[16], plain[17]);
    if (header) {
      if (f->page_size && header != f->page_size) {
        const int rc = RemapWritten(f, f->page_size, header);
        if (rc != SQLITE_OK) return rc;
      }
      f->page_size = header;
      f->written.clear();
    }
  }
  const sqlite3_int64 page = PageSizeFor(f, amount, offset);
  if (!page) return SQLITE_IOERR_WRITE;
  try {
    if (f->scratch.size() < static_cast<size_t>(amount))
      f->scratch.resize(static_cast<size_t>(amount));
    RecordWrite(f, offset, offset + amount);
  } catch (const std::bad_alloc&) {
    return SQLITE_IOERR_NOMEM;
  }
  Cipher(*f->keystream, page, f->scratch.data(), plain, amount, offset);
  return f->real->pMethods->xWrite(f->real, f->scratch.data(), amount, offset);
}

int xTruncate(sqlite3_file* file, sqlite3_int64 size) {
  CipherFile* f = Cast(file);
  if (Fault(CipherIo::kTruncate, f->name)) return SQLITE_IOERR_TRUNCATE;
  return f->real->pMethods->xTruncate(f->real, size);
}

int xSync(sqlite3_file* file, int flags) {
  CipherFile* f = Cast(file);
  if (Fault(CipherIo::kSync, f->name)) return SQLITE_IOERR_FSYNC;
  const int rc = f->real->pMethods->xSync(f->real, flags);
  // A commit is complete: every page written so far is placed by the page
  // size the file has.
  if (rc == SQLITE_OK) f->written.clear();
  return rc;
}

int xFileSize(sqlite3_file* file, sqlite3_int64* size) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xFileSize(real, size);
}

int xLock(sqlite3_file* file, int lock) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xLock(real, lock);
}

int xUnlock(sqlite3_file* file, int lock) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xUnlock(real, lock);
}

int xCheckReservedLock(sqlite3_file* file, int* out) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xCheckReservedLock(real, out);
}

int xFileControl(sqlite3_file* file, int op, void* arg) {
  CipherFile* f = Cast(file);
  if (op == kFcntlSetKeystream) {
    if (!f->main_db) return SQLITE_NOTFOUND;
    f->keystream = *static_cast<std::shared_ptr<const PageKeystream>*>(arg);
    // What was learnt under another key may be garbage: read the header again.
    f->page_size = 0;
    f->written.clear();
    return SQLITE_OK;
  }
  if (op == kFcntlHasKey) {
    if (!f->main_db) return SQLITE_NOTFOUND;
    *static_cast<int*>(arg) = f->keystream ? 1 : 0;
    return SQLITE_OK;
  }
  return f->real->pMethods->xFileControl(f->real, op, arg);
}

int xSectorSize(sqlite3_file* file) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xSectorSize(real);
}

int xDeviceCharacteristics(sqlite3_file* file) {
  sqlite3_file* real = Cast(file)->real;
  return real->pMethods->xDeviceCharacteristics(real);
}

int xShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  sqlite3_file* real = Cast(file)->real;
  if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMMAP;
  return real->pMethods->xShmMap(real, region, size, extend, out);
}

int xShmLock(sqlite3_file* file, int offset, int n, int flags) {
  sqlite3_file* real = Cast(file)->real;
  if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMLOCK;
  return real->pMethods->xShmLock(real, offset, n, flags);
}

void xShmBarrier(sqlite3_file* file) {
  sqlite3_file* real = Cast(file)->real;
  if (real->pMethods->iVersion >= 2) real->pMethods->xShmBarrier(real);
}

int xShmUnmap(sqlite3_file* file, int del) {
  sqlite3_file* real = Cast(file)->real;
  if (real->pMethods->iVersion < 2) return SQLITE_OK;
  return real->pMethods->xShmUnmap(real, del);
}

int xFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  CipherFile* f = Cast(file);
  // A mapped page would reach SQLite without being deciphered; answering
  // with no mapping makes it read the page instead.
  if (f->keystream || f->real->pMethods->iVersion < 3) {
    *out = nullptr;
    return SQLITE_OK;
  }
  return f->real->pMethods->xFetch(f->real, offset, amount, out);
}

int xUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  sqlite3_file* real = Cast(file)->real;
  if (real->pMethods->iVersion < 3) return SQLITE_OK;
  return real->pMethods->xUnfetch(real, offset, page);
}

const sqlite3_io_methods kMethods = {
    3,
    xClose,
    xRead,
    xWrite,
    xTruncate,
    xSync,
    xFileSize,
    xLock,
    xUnlock,
    xCheckReservedLock,
    xFileControl,
    xSectorSize,
    xDeviceCharacteristics,
    xShmMap,
    xShmLock,
    xShmBarrier,
    xShmUnmap,
    xFetch,
    xUnfetch,
};

// --- VFS methods -------------------------------------------------------------------

sqlite3_vfs* Root(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

// Whether the journal or WAL file `name` belongs to a keyed database of this
// layer. SQLite hands xOpen journal names from which the main file's object
// can be found.
bool BelongsToKeyedDatabase(const char* name) {
  sqlite3_file* main = sqlite3_database_file_object(name);
  return main && main->pMethods == &kMethods && Cast(main)->keystream;
}

int xOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
  sqlite3_vfs* root = Root(vfs);
  CipherFile* f = new (file) CipherFile();
  f->base.pMethods = nullptr;
  f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
  f->real->pMethods = nullptr;
  f->name = name;
  f->main_db = (flags & SQLITE_OPEN_MAIN_DB) != 0;
  if (f->main_db && t_opening_keystream) f->keystream = *t_opening_keystream;

  int rc = SQLITE_OK;
  if (Fault(CipherIo::kOpen, name)) {
    rc = SQLITE_CANTOPEN;
  } else if ((flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL)) && name &&
             BelongsToKeyedDatabase(name)) {
    rc = SQLITE_CANTOPEN;
  } else {
    rc = root->xOpen(root, name, f->real, flags, out_flags);
  }
  if (rc != SQLITE_OK) {
    // A layer may leave its methods set after a failed open; it must then be
    // closed all the same.
    if (f->real->pMethods) f->real->pMethods->xClose(f->real);
    f->~CipherFile();
    file->pMethods = nullptr;
    return rc;
  }
  file->pMethods = &kMethods;
  return SQLITE_OK;
}

int xDelete(sqlite3_vfs* vfs, const char* name, int sync_dir) {
  return Root(vfs)->xDelete(Root(vfs), name, sync_dir);
}
int xAccess(sqlite3_vfs* vfs, const char* name, int flags, int* out) {
  return Root(vfs)->xAccess(Root(vfs), name, flags, out);
}
int xFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
  return Root(vfs)->xFullPathname(Root(vfs), name, size, out);
}
void* xDlOpen(sqlite3_vfs* vfs, const char* name) { return Root(vfs)->xDlOpen(Root(vfs), name); }
void xDlError(sqlite3_vfs* vfs, int size, char* out) { Root(vfs)->xDlError(Root(vfs), size, out); }
void (*xDlSym(sqlite3_vfs* vfs, void* handle, const char* symbol))(void) {
  return Root(vfs)->xDlSym(Root(vfs), handle, symbol);
}
void xDlClose(sqlite3_vfs* vfs, void* handle) { Root(vfs)->xDlClose(Root(vfs), handle); }
int xRandomness(sqlite3_vfs* vfs, int size, char* out) {
  return Root(vfs)->xRandomness(Root(vfs), size, out);
}
int xSleep(sqlite3_vfs* vfs, int micros) { return Root(vfs)->xSleep(Root(vfs), micros); }
int xCurrentTime(sqlite3_vfs* vfs, double* out) { return Root(vfs)->xCurrentTime(Root(vfs), out); }
int xGetLastError(sqlite3_vfs* vfs, int size, char* out) {
  return Root(vfs)->xGetLastError ? Root(vfs)->xGetLastError(Root(vfs), size, out) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* out) {
  return Root(vfs)->xCurrentTimeInt64(Root(vfs), out);
}
int xSetSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
  return Root(vfs)->xSetSystemCall(Root(vfs), name, call);
}
sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs* vfs, const char* name) {
  return Root(vfs)->xGetSystemCall(Root(vfs), name);
}
const char* xNextSystemCall(sqlite3_vfs* vfs, const char* name) {
  return Root(vfs)->xNextSystemCall(Root(vfs), name);
}

sqlite3_vfs g_vfs;
bool g_registered = false;
std::once_flag g_register_once;

void Register() {
  sqlite3_vfs* root = sqlite3_vfs_find(nullptr);
  if (!root) return;
  g_vfs = sqlite3_vfs{};
  // Version 2 and 3 entries are offered only where the wrapped layer has them.
  g_vfs.iVersion = std::min(root->iVersion, 3);
  g_vfs.szOsFile = static_cast<int>(kRealOffset) + root->szOsFile;
  g_vfs.mxPathname = root->mxPathname;
  g_vfs.zName = kCipherVfsName;
  g_vfs.pAppData = root;
  g_vfs.xOpen = xOpen;
  g_vfs.xDelete = xDelete;
  g_vfs.xAccess = xAccess;
  g_vfs.xFullPathname = xFullPathname;
  g_vfs.xDlOpen = xDlOpen;
  g_vfs.xDlError = xDlError;
  g_vfs.xDlSym = xDlSym;
  g_vfs.xDlClose = xDlClose;
  g_vfs.xRandomness = xRandomness;
  g_vfs.xSleep = xSleep;
  g_vfs.xCurrentTime = xCurrentTime;
  g_vfs.xGetLastError = xGetLastError;
  if (g_vfs.iVersion >= 2) g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
  if (g_vfs.iVersion >= 3) {
    g_vfs.xSetSystemCall = xSetSystemCall;
    g_vfs.xGetSystemCall = xGetSystemCall;
    g_vfs.xNextSystemCall = xNextSystemCall;
  }
  g_registered = sqlite3_vfs_register(&g_vfs, /*makeDflt=*/0) == SQLITE_OK;
}

}  // namespace

bool RegisterCipherVfs() {
  std::call_once(g_register_once, Register);
  return g_registered;
}

namespace {

std::shared_ptr<const PageKeystream> MakeKeystream(const std::optional<CipherKey>& key, int* rc) {
  *rc = SQLITE_OK;
  if (!key) return nullptr;
  try {
    return std::make_shared<const PageKeystream>(*key);
  } catch (const std::bad_alloc&) {
    *rc = SQLITE_NOMEM;
    return nullptr;
  }
}

}  // namespace

int OpenCipherConnection(const char* path, const std::optional<CipherKey>& key, sqlite3** db) {
  *db = nullptr;
  if (!RegisterCipherVfs()) return SQLITE_ERROR;
  int rc;
  const std::shared_ptr<const PageKeystream> keystream = MakeKeystream(key, &rc);
  if (rc != SQLITE_OK) return rc;
  t_opening_keystream = &keystream;
  rc = sqlite3_open_v2(path, db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, kCipherVfsName);
  t_opening_keystream = nullptr;
  return rc;
}

int SetCipherKey(sqlite3* db, const std::optional<CipherKey>& key, const char* schema) {
  int rc;
  std::shared_ptr<const PageKeystream> keystream = MakeKeystream(key, &rc);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_file_control(db, schema, kFcntlSetKeystream, &keystream);
  if (rc == SQLITE_OK) sqlite3_file_control(db, schema, SQLITE_FCNTL_RESET_CACHE, nullptr);
  return rc;
}

bool HasCipherKey(sqlite3* db, const char* schema) {
  int keyed = 0;
  return sqlite3_file_control(db, schema, kFcntlHasKey, &keyed) == SQLITE_OK && keyed;
}

CipherLayerFile::~CipherLayerFile() { Close(); }

int CipherLayerFile::Open(const std::string& path, bool create) {
  Close();
  if (!RegisterCipherVfs()) return SQLITE_ERROR;
  // A file name as SQLite makes them: a layer may look for URI parameters
  // after it.
  name_ = sqlite3_create_filename(path.c_str(), "", "", 0, nullptr);
  if (!name_) return SQLITE_NOMEM;
  memory_.reset(new (std::nothrow) char[static_cast<size_t>(g_vfs.szOsFile)]);
  if (!memory_) return SQLITE_NOMEM;
  auto* file = reinterpret_cast<sqlite3_file*>(memory_.get());
  const int flags = SQLITE_OPEN_MAIN_DB |
                    (create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY);
  int out_flags = 0;
  const int rc = g_vfs.xOpen(&g_vfs, name_, file, flags, &out_flags);
  if (rc != SQLITE_OK) {
    memory_.reset();
    sqlite3_free_filename(name_);
    name_ = nullptr;
    return rc;
  }
  file_ = file;
  return SQLITE_OK;
}

int CipherLayerFile::Read(void* data, int size, int64_t offset) {
  return file_ ? file_->pMethods->xRead(file_, data, size, offset) : SQLITE_MISUSE;
}

int CipherLayerFile::Write(const void* data, int size, int64_t offset) {
  return file_ ? file_->pMethods->xWrite(file_, data, size, offset) : SQLITE_MISUSE;
}

int CipherLayerFile::Sync() {
  return file_ ? file_->pMethods->xSync(file_, SQLITE_SYNC_FULL) : SQLITE_MISUSE;
}

int CipherLayerFile::Size(int64_t* size) {
  sqlite3_int64 value = 0;
  const int rc = file_ ? file_->pMethods->xFileSize(file_, &value) : SQLITE_MISUSE;
  *size = value;
  return rc;
}

int CipherLayerFile::Close() {
  int rc = SQLITE_OK;
  if (file_) rc = file_->pMethods->xClose(file_);
  file_ = nullptr;
  memory_.reset();
  if (name_) sqlite3_free_filename(name_);
  name_ = nullptr;
  return rc;
}

void SetCipherFaultHook(CipherFaultHook hook) {
  std::lock_guard<std::mutex> lock(g_fault_mutex);
  g_fault_hook = std::move(hook);
  g_fault_set.store(static_cast<bool>(g_fault_hook), std::memory_order_release);
}

}  // namespace lw
