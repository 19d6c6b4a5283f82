// Timings of a full library: 64 folders x 32 books x 15 files (one book per
// folder has 14), 32,768 nodes, every page about 2 KB of RTF.
//
//   build/native/lorewell_bench --benchmark_filter=Library
//
// The ...ById benchmarks address a row as "WHERE id = %i", a scan of the
// whole table (it has no index); the others go through page_store.h and
// tree_ops.h, which find each row by the rowid the tree read for it. Every
// write is a commit of its own, synced to the disk (the journal is off and
// there is no transaction), so on a disk the page write is mostly one sync
// and the paste (16 inserts, 33 orders) mostly 49; with TMPDIR=/dev/shm
// what remains is the work of the program and of SQLite.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/bench_rows.h"
#include "store/node_store.h"
#include "store/page_store.h"
#include "store/statements.h"
#include "store/tree_ops.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

struct FullLibrary {
  testing::TempDir dir;
  std::u16string path = dir.File16("full.db");
  std::vector<int> ids;

  FullLibrary() {
    std::string page = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Calibri;}}\\f0\\fs22 ";
    while (page.size() < 2040) page += "Lorem ipsum dolor sit amet, \\b consectetur\\b0  adipiscing. ";
    page += "}";
    std::vector<int> numbers;
    for (int n = 1; n <= kMaxNodeNumber; ++n) numbers.push_back(n);
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(1));
    std::size_t next = 0;
    Db db([](const std::u16string&) {});
    db.CreateLibrary(path);
    db.Exec("BEGIN");
    auto insert = [&](NodeKind kind, int parent, int order) {
      const int id = MakeNodeId(numbers[next++], kind);
      InsertBenchRow(db, id, parent, order, u"Node title", page);
      ids.push_back(id);
      return id;
    };
    for (int f = 0; f < 64; ++f) {
      const int folder = insert(NodeKind::kFolder, 0, f);
      for (int b = 0; b < 32; ++b) {
        const int book = insert(NodeKind::kBook, folder, b);
        for (int x = 0; x < (b == 31 ? 14 : 15); ++x) insert(NodeKind::kFile, book, x);
      }
    }
    db.Exec("COMMIT");
  }
};

FullLibrary& Library() {
  static auto* library = new FullLibrary;
  return *library;
}

void BM_LibraryOpenAndFill(benchmark::State& state) {
  FullLibrary& lib = Library();
  NodeStore store([](const std::u16string&) {});
  TreeModel model;
  for (auto _ : state) {
    const OpenResult r = store.OpenLibraryNow(lib.path, model);
    if (r.outcome != OpenOutcome::kOpened || model.index().size() != lib.ids.size()) {
      state.SkipWithError("library did not load");
    }
    store.Close(model, true);
  }
}
BENCHMARK(BM_LibraryOpenAndFill)->Unit(benchmark::kMillisecond);

// One open store for the page and index timings.
struct OpenLibrary {
  NodeStore store{[](const std::u16string&) {}};
  TreeModel model;
  OpenLibrary() { store.OpenLibraryNow(Library().path, model); }
};

OpenLibrary& Opened() {
  static auto* opened = new OpenLibrary;
  return *opened;
}

void BM_LibraryPageReadById(benchmark::State& state) {
  OpenLibrary& o = Opened();
  std::mt19937 rng(2);
  const std::vector<int>& ids = Library().ids;
  for (auto _ : state) {
    const int id = ids[rng() % ids.size()];
    Statement st = o.store.db().Prepare(FormatSql16(kSqlSelectTitleAndPage, {id}));
    if (!st.Step()) state.SkipWithError("no row");
    benchmark::DoNotOptimize(st.ColumnPage(1));
  }
}
BENCHMARK(BM_LibraryPageReadById)->Unit(benchmark::kMillisecond);

void BM_LibraryPageWriteById(benchmark::State& state) {
  OpenLibrary& o = Opened();
  std::mt19937 rng(3);
  const std::vector<int>& ids = Library().ids;
  const std::string page(2100, 'w');
  for (auto _ : state) {
    Statement st = o.store.db().Prepare(FormatSql16(kSqlStorePage));
    st.BindPage(1, page);
    st.BindInt(2, ids[rng() % ids.size()]);
    if (!st.Run()) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_LibraryPageWriteById)->Unit(benchmark::kMillisecond);

void BM_LibraryPageRead(benchmark::State& state) {
  OpenLibrary& o = Opened();
  std::mt19937 rng(2);
  const std::vector<int>& ids = Library().ids;
  for (auto _ : state) {
    const std::optional<StoredPage> page = ReadPage(o.store, o.model, ids[rng() % ids.size()]);
    if (!page) state.SkipWithError("no row");
    benchmark::DoNotOptimize(page);
  }
}
BENCHMARK(BM_LibraryPageRead)->Unit(benchmark::kMicrosecond);

void BM_LibraryPageWrite(benchmark::State& state) {
  OpenLibrary& o = Opened();
  std::mt19937 rng(3);
  const std::vector<int>& ids = Library().ids;
  const std::string page(2100, 'w');
  for (auto _ : state) {
    if (StorePage(o.store, o.model, ids[rng() % ids.size()], page) != PageWrite::kStored) {
      state.SkipWithError("write failed");
    }
  }
}
BENCHMARK(BM_LibraryPageWrite)->Unit(benchmark::kMicrosecond);

// A book with its 15 files copied into a folder of 32 books, which are then
// renumbered. The library is a copy of the full one less a book of the first
// folder, so that the copy takes the last 16 free numbers; it is deleted
// again, untimed, after each paste.
void BM_LibraryPasteBook(benchmark::State& state) {
  testing::TempDir dir;
  const std::u16string path = dir.File16("paste.db");
  std::filesystem::copy_file(std::filesystem::path(Library().path), std::filesystem::path(path));
  NodeStore store([&state](const std::u16string&) { state.SkipWithError("SQLite failed"); });
  TreeModel model;
  store.OpenLibraryNow(path, model);
  ModelItem* folder = model.library_root()->first_child();
  SelectItem(store, model, folder->first_child());
  DeleteSelected(store, model);
  ModelItem* target = folder->next_sibling();
  ModelItem* source = target->next_sibling()->first_child();
  for (auto _ : state) {
    SelectItem(store, model, source);
    CopySelected(store, model);
    SelectItem(store, model, target);
    const OpResult pasted = Paste(store, model);
    state.PauseTiming();
    if (!pasted.done || pasted.node_limit || model.index().size() != Library().ids.size()) {
      state.SkipWithError("the book was not pasted");
    }
    DeleteSelected(store, model);  // the copy, selected after the paste
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LibraryPasteBook)->Unit(benchmark::kMillisecond);

void BM_LibraryIndexRebuild(benchmark::State& state) {
  OpenLibrary& o = Opened();
  for (auto _ : state) {
    o.model.RebuildIndex();
    benchmark::DoNotOptimize(o.model.index().size());
  }
}
BENCHMARK(BM_LibraryIndexRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lw
