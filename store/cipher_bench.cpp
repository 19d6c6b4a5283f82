// Costs of the page cipher: raw RC4, reading every page of a library
// enciphered and plain, and re-keying a 100 MB library beside a plain copy
// of the same file.
//
//   build/native/lorewell_bench --benchmark_filter=Cipher
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/utf.h"
#include "store/cipher_key.h"
#include "store/cipher_open.h"
#include "store/cipher_rc4.h"
#include "store/db.h"
#include "store/rekey.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kPassword[] = u"benchmark-parola";

// One 100 MB library, plain and enciphered, made once for all benchmarks.
struct Libraries {
  testing::TempDir dir;
  fs::path plain = dir.File("plain.db");
  fs::path enciphered = dir.File("enciphered.db");
  uint64_t bytes = 0;

  Libraries() {
    Db db(nullptr);
    OpenThroughCipher(db, plain.u16string());
    db.Exec(
        "PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = 1; "
        "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB)");
    db.Exec("BEGIN");
    // Pages of about 900 bytes: four rows to a database page, no overflow,
    // so a scan of the table reads every page of the file once.
    std::string page(900, 'x');
    for (int n = 0; n < 100 * 1024 * 1024 / 1000; ++n) {
      for (size_t k = 0; k < page.size(); k += 61) page[k] = static_cast<char>('a' + (n + k) % 26);
      Statement s = db.Prepare(u"INSERT INTO tab VALUES (?, 0, ?, 'node', ?)");
      s.BindInt(1, n * 100 + 4);
      s.BindInt(2, n);
      s.BindPage(3, page);
      s.Run();
    }
    db.Exec("COMMIT");
    db.Close();
    // Both files are written by the re-key, so that they lie on the disk
    // alike: enciphered from the library made above, and plain again.
    const auto report = [](const std::u16string& m) {
      std::fprintf(stderr, "re-key: %s\n", Utf16ToUtf8(m).c_str());
    };
    fs::copy_file(plain, enciphered);
    RekeyLibraryFile(enciphered.u16string(), u"", kPassword, report);
    fs::copy_file(enciphered, plain, fs::copy_options::overwrite_existing);
    RekeyLibraryFile(plain.u16string(), kPassword, u"", report);
    bytes = fs::file_size(plain);
  }
};

// Made on first use, removed with its folder when the program ends.
Libraries& Shared() {
  static Libraries libraries;
  return libraries;
}

void SyncFile(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

void BM_CipherRc4KeyStream(benchmark::State& state) {
  const CipherKey key = *DeriveCipherKey(kPassword);
  Rc4 rc4(key.data(), key.size());
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) {
    rc4.Generate(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(buffer.size()));
}
BENCHMARK(BM_CipherRc4KeyStream);

// Opens the library afresh (an empty page cache; the system's file cache is
// warm after the first run) and reads every page of the table.
void ReadEveryPage(benchmark::State& state, const fs::path& path, const char16_t* password,
                   bool platform_layer) {
  Libraries& libs = Shared();
  for (auto _ : state) {
    Db db(nullptr);
    if (platform_layer) {
      db.Open(path.u16string());
    } else {
      OpenWithPassword(db, path.u16string(), password);
    }
    Statement s = db.Prepare(u"SELECT count(*) FROM tab WHERE length(t) > 0");
    s.Step();
    benchmark::DoNotOptimize(s.ColumnInt(0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(libs.bytes));
}

void BM_CipherReadEveryPagePlainPlatformLayer(benchmark::State& state) {
  ReadEveryPage(state, Shared().plain, u"", true);
}
void BM_CipherReadEveryPagePlainCipherLayer(benchmark::State& state) {
  ReadEveryPage(state, Shared().plain, u"", false);
}
void BM_CipherReadEveryPageEnciphered(benchmark::State& state) {
  ReadEveryPage(state, Shared().enciphered, kPassword, false);
}
BENCHMARK(BM_CipherReadEveryPagePlainPlatformLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CipherReadEveryPagePlainCipherLayer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CipherReadEveryPageEnciphered)->Unit(benchmark::kMillisecond);

// A plain copy of the same file, made durable: what re-keying is measured
// against.
void BM_CipherFileCopy100MB(benchmark::State& state) {
  Libraries& libs = Shared();
  const fs::path target = libs.dir.File("copy.db");
  for (auto _ : state) {
    fs::copy_file(libs.plain, target, fs::copy_options::overwrite_existing);
    SyncFile(target);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(libs.bytes));
}
BENCHMARK(BM_CipherFileCopy100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// Setting and clearing the password in turn: every run re-keys all 100 MB,
// writes the copy, syncs it, checks it and replaces the library.
void BM_CipherRekey100MB(benchmark::State& state) {
  Libraries& libs = Shared();
  const fs::path path = libs.dir.File("rekeyed.db");
  fs::copy_file(libs.plain, path, fs::copy_options::overwrite_existing);
  bool enciphered = false;
  for (auto _ : state) {
    const bool ok = RekeyLibraryFile(path.u16string(), enciphered ? kPassword : u"",
                                     enciphered ? u"" : kPassword, nullptr);
    if (!ok) state.SkipWithError("re-key failed");
    enciphered = !enciphered;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(libs.bytes));
}
BENCHMARK(BM_CipherRekey100MB)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace
}  // namespace lw
