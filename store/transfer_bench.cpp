// Import and export of a 10,000-node library with 2 KB pages: one commit per
// row against one transaction for the whole copy.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "store/bench_rows.h"
#include "store/db.h"
#include "store/node_store.h"
#include "store/transfer.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

// 100 folders of 10 books of 9 files: 10,000 nodes.
void MakeSource(const std::u16string& path) {
  Db db(nullptr);
  db.Open(path);
  db.Exec("PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = 1; "
          "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB); BEGIN");
  const std::string page(2048, 'x');
  int number = 1;
  auto insert = [&](int id, int parent, int order) {
    InsertBenchRow(db, id, parent, order, u"Node", page);
  };
  for (int f = 0; f < 100; ++f) {
    const int folder = number++ * 100;
    insert(folder, 0, f);
    for (int b = 0; b < 10; ++b) {
      const int book = number++ * 100 + 2;
      insert(book, folder, b);
      for (int k = 0; k < 9; ++k) insert(number++ * 100 + 4, book, k);
    }
  }
  db.Exec("COMMIT");
}

void BM_Import(benchmark::State& state) {
  testing::TempDir dir;
  const std::u16string source = dir.File16("source.db");
  MakeSource(source);
  TransferOptions options;
  options.batched = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::u16string target = dir.File16("target.db");
    std::filesystem::remove(dir.File("target.db"));
    NodeStore store(nullptr);
    TreeModel model;
    store.NewLibrary(target, model);
    state.ResumeTiming();
    const ImportResult r = ImportLibrary(store.ClaimWork(), store, model, source, options);
    state.PauseTiming();
    state.counters["rows"] = r.rows_added;
    store.Close(model, false);
    state.ResumeTiming();
  }
  state.SetLabel(options.batched ? "one transaction" : "one commit per row");
}
BENCHMARK(BM_Import)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportFolder(benchmark::State& state) {
  testing::TempDir dir;
  const std::u16string source = dir.File16("source.db");
  MakeSource(source);
  NodeStore store(nullptr);
  TreeModel model;
  store.OpenLibraryNow(source, model);
  // Folders hold 100 nodes each here; the whole library is exported through
  // the folder export once per folder.
  TransferOptions options;
  options.batched = state.range(0) != 0;
  for (auto _ : state) {
    int rows = 0;
    for (const ModelItem& folder : model.library_root()->children()) {
      const ExportResult r = ExportBranch(store.ClaimWork(), store, &folder,
                                          dir.File16("export.db"), std::nullopt, options);
      rows += r.rows_written;
    }
    state.counters["rows"] = rows;
  }
  state.SetLabel(options.batched ? "one transaction" : "one commit per row");
}
BENCHMARK(BM_ExportFolder)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace lw
