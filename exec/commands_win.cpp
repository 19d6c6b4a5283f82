// The command runner's and SQL console's routines behind the command
// table: the page's text run as a program (F12, exec/run_win), a statement
// from the page's selection (Ctrl+F12) or the Clipboard (Alt+F12), and the
// library's maintenance (Alt+V).
#include <windows.h>

#include <richedit.h>

#include <memory>
#include <optional>
#include <string>

#include "app/app_win.h"
#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "exec/run_win.h"
#include "exec/sql.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/tree_ops.h"
#include "store/vacuum.h"

namespace lw {

namespace {

constexpr int kMsgNoSelection = 37, kMsgConfirmTitle = 38, kMsgEmptyClipboard = 46, kMsgVacuumAsk = 57,
              kMsgVacuumOk = 63, kMsgOnlyFirst = 91, kMsgTooLong = 92;
constexpr size_t kMaxStatement = 9999;
constexpr int kMinSelection = 2, kMaxSelection = 260;

void Say(int n, UINT type, const std::wstring& arg = std::wstring()) {
  ShowLocalMessage(g_mainWindow, UiLanguage(), n, type, arg);
}

// The statement the key names, or nothing (the user was told why).
std::optional<std::wstring> StatementOf(int id) {
  if (id == kCmdSelectionSql) {
    const std::wstring text = SelectedText(g_shell.currentEditor);
    if (text.size() < kMinSelection || text.size() > kMaxSelection) {
      Say(kMsgNoSelection, MB_ICONINFORMATION);
      return std::nullopt;
    }
    return text;
  }
  const std::wstring text = ClipboardText(g_mainWindow);
  if (text.empty()) Say(kMsgEmptyClipboard, MB_ICONINFORMATION);
  else if (text.size() > kMaxStatement) Say(kMsgTooLong, MB_ICONINFORMATION);
  else return text;
  return std::nullopt;
}

// Ctrl+F12 and Alt+F12: the statement exactly as it will run, confirmed,
// then the library opened again so that the tree shows what it did.
void RunSqlRoutine(int id) {
  if (!SaveModifiedPages()) return;
  const std::optional<std::wstring> typed = StatementOf(id);
  if (!typed) return;
  SqlPlaceholders values;
  if (!MakePlaceholders(Store().db(), Model(), &values)) return;
  const FirstStatement first = SplitFirstStatement(Store().db(), FillPlaceholders(ToU16(*typed), values));
  // The statement exactly as it will run; the Clipboard's under a caption
  // that asks, as the user may not have seen it.
  std::wstring question = ToWide(first.sql);
  if (first.more) question += L"\n\n" + LoadMessage(UiLanguage(), kMsgOnlyFirst);
  const std::wstring caption = LoadMessage(UiLanguage(), kMsgConfirmTitle);
  if (ShowMessage(g_mainWindow, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                  id == kCmdClipboardSql ? caption.c_str() : nullptr) != IDYES)
    return;
  const std::u16string path = Store().current_path();
  // The top-level order goes to the file as the tree shows it (0, 1, 2 ...),
  // so that ">" is the next position, and the reload shows the statement's
  // own changes, not an order written over them afterwards.
  RenumberChildren(Store(), Model(), Model().library_root());
  // A failure's text was shown. One that did not compile changed nothing;
  // the library is let go, and the report shows what it held.
  if (!RunSql(Store().db(), first.sql).prepared) {
    CloseLibrary(true);
    return;
  }
  CloseLibrary(false);
  OpenLibraryPath(path);
}

// The compaction Alt+V started, shared by the worker and its done step.
struct VacuumJob {
  std::u16string path;
  std::u16string password;
  bool compacted = false;
};

// The worker has ended (a failure's reason was shown from it): the counts
// follow the outcome, or the library is let go when not even the old file
// reopened.
void FinishVacuum(const VacuumJob& job) {
  if (!Store().db().is_open()) {
    CloseLibrary(true);
    ShowLibraryState();
    return;
  }
  if (job.compacted) Say(kMsgVacuumOk, MB_ICONINFORMATION);
  ReportDuplicateIds();
  ReportHiddenRows();
}

// Alt+V: compact the file on a worker (into a copy that replaces it only
// once checked), then count repeated ids and rows the tree hides.
void VacuumRoutine(int) {
  if (ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgVacuumAsk, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
          IDYES ||
      !SaveModifiedPages())
    return;
  NodeStore& store = Store();
  WorkClaim claim = store.ClaimWork();
  if (!claim) return;
  auto job = std::make_shared<VacuumJob>();
  job->path = store.current_path();
  if (store.encrypted()) job->password = store.password();
  RunWorker(
      std::move(claim),
      [job](WorkClaim) {
        job->compacted = VacuumOpenLibrary(Store().db(), job->path, job->password);
        // VACUUM may give the rows new rowids; pages are found by them.
        if (Store().db().is_open()) RereadRowids(Store(), Model());
      },
      [job] { FinishVacuum(*job); }, true);
}

}  // namespace

void RegisterExecRoutines() {
  SetRoutine(Routine::kExecuteSelection, ExecuteRoutine);
  SetRoutine(Routine::kRunSql, RunSqlRoutine);
  SetRoutine(Routine::kVacuum, VacuumRoutine);
}

}  // namespace lw
