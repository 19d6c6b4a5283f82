// Timings of a full library: 64 folders x 32 books x 15 files (one book per
// folder has 14), 32,768 nodes, every page about 2 KB of RTF.
//
//   build/native/lorewell_bench --benchmark_filter=Library
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/bench_rows.h"
#include "store/node_store.h"
#include "store/statements.h"
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

void BM_LibraryPageRead(benchmark::State& state) {
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
BENCHMARK(BM_LibraryPageRead)->Unit(benchmark::kMillisecond);

void BM_LibraryPageWrite(benchmark::State& state) {
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
BENCHMARK(BM_LibraryPageWrite)->Unit(benchmark::kMillisecond);

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
