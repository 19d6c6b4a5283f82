// Moving nodes between library files: import of another library into the
// open one, export of a folder or a book with everything under it to a new
// library, conversion of ".idb" libraries, and the fixed table report.
//
// Each operation runs on the caller's thread (the window layer starts a
// worker and hands it the busy claim) and opens a second connection of its
// own for the other file, closed on every path before it returns. SQLite's
// failures go to the store's ErrorSink, one report per failing call; the
// outcome tells the window layer which of its own messages to show.
//
// Rows are copied in one transaction per operation, committed at the end.
// With the journal off every statement outside a transaction is a durable
// commit of its own, which makes a large copy a hundred times slower. While
// the open library is written its journal is kept in memory (no file is
// written beside it), so that a failure of the disk itself can be rolled
// back instead of leaving half-written pages; a failure of the source keeps
// what was copied, committed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/node_store.h"
#include "store/tree_model.h"

namespace lw {

// Told the progress in percent, 0 first and then whenever the whole part
// grows. The window layer shows the strip's bar on the first call and hides
// it when the operation returns.
using ProgressSink = std::function<void(int percent)>;

enum class TransferOutcome {
  kDone,
  kBusy,          // a worker owns the library; nothing was done
  kNoLibrary,     // message 34: no library is open
  kMissing,       // message 36: no file at the source path
  kSameFile,      // import: message 31; export: message 32
  kEnciphered,    // message 19: the import source is enciphered
  kNoNodes,       // message 30: the import source has no folders
  kNodeLimit,     // message 24: no new id could be made; copied rows stay
  kNotBranch,     // export: not a folder or book with children (page export)
  kAlreadyOpen,   // message 35: the ".idb" file is held open
  kTargetExists,  // conversion: a ".db" file of the new name exists already
  kFailed,        // SQLite's text (or the file system's) was reported
};

// The message number of the string table for an outcome; 0 for kDone,
// kBusy, kNotBranch and kFailed (the last was reported already). `import`
// tells messages 31 and 32 apart.
int TransferMessage(TransferOutcome outcome, bool import);

struct TransferOptions {
  ProgressSink progress;
  // One transaction for the whole copy. Without it each row is committed on
  // its own, as the journal-off libraries do by default; kept for the
  // benchmark that compares the two.
  bool batched = true;
  // On a failure half-way, keep the rows copied so far (the program's rule)
  // or undo the whole import (the command-line tool's rule: a failed
  // command changes nothing). Needs `batched`.
  bool keep_partial = true;
  // Seeds the generator of new ids; nothing: seeded at random.
  std::optional<unsigned> seed;
};

struct ImportResult {
  TransferOutcome outcome = TransferOutcome::kFailed;
  int rows_added = 0;  // the separator included
  // Rows of the source that its tree does not show (ids that are not node
  // ids, orphans, repeated numbers): left out, as the tree leaves them out.
  int rows_skipped = 0;
};

// Imports every node of the library at `source` into the open library:
// a "--separator--" folder and then the source's folders at the end of the
// top level, with new ids, the books and files under them with orders 0, 1,
// 2, ... in source order and their pages copied unchanged; the top level is
// renumbered afterwards and the index rebuilt. The items are added to
// `model` as the rows are inserted. `claim` must hold the busy flag.
ImportResult ImportLibrary(WorkClaim claim, NodeStore& store, TreeModel& model,
                           const std::u16string& source, const TransferOptions& options = {});

struct ExportResult {
  TransferOutcome outcome = TransferOutcome::kFailed;
  int rows_written = 0;
  // The open library is enciphered, and so is the export (message 65).
  bool enciphered = false;
};

// Exports `node` (a folder with books or a book with files) to a new library
// at `target`: ids, orders, titles and pages are kept; a book is written
// under its folder (title only). `own_page` is the node's page as the editor
// holds it (nothing or empty: no page is stored for it). An enciphered
// library gives an export under the same password. The export is written
// beside `target` and replaces a file there only once complete, keeping its
// permission bits; a failure leaves that file as it was and no partial file
// behind (the reason is reported). `claim` must hold the busy flag.
ExportResult ExportBranch(WorkClaim claim, NodeStore& store, const ModelItem* node,
                          const std::u16string& target, const std::optional<std::string>& own_page,
                          const TransferOptions& options = {});

struct ConvertResult {
  TransferOutcome outcome = TransferOutcome::kFailed;
  std::u16string new_path;  // the converted file's name when done
};

// The name a converted ".idb" file gets: its extension (in any case)
// replaced by ".db"; other paths are kept.
std::u16string ConvertedPath(const std::u16string& path);

// Converts the legacy library at `path` in place (kind digits 0, 1, 2 to 0,
// 2, 4 in `id` and `p`; user_version 1) and renames it to ConvertedPath.
// All or nothing: a failure leaves the file as it was. `can_read_unshared`
// is the "held open" test (CanReadUnshared when empty). `claim` must hold
// the busy flag.
ConvertResult ConvertLegacyLibrary(WorkClaim claim, const std::u16string& path,
                                   const ErrorSink& on_error,
                                   const NodeStore::ExclusiveReadCheck& can_read_unshared = {});

// Names the temporary file of an export (see ReplaceRules::tag).
inline constexpr char kExportTag[] = "export";

// The fixed RTF document of the table report: the columns of `tab` with
// three example rows. For the clipboard format "Rich Text Format".
const std::string& TableReportRtf();

}  // namespace lw
