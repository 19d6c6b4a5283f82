// The command runner's and SQL console's routines behind the command
// table: the page's text run as a program (F12, exec/run_win), a statement
// from the page's selection (Ctrl+F12) or the Clipboard (Alt+F12), and the
// library's maintenance (Alt+V).
#include <windows.h>

#include <richedit.h>

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
  std::wstring question = LoadMessage(UiLanguage(), kMsgConfirmTitle) + L"\n\n" + ToWide(first.sql);
  if (first.more) question += L"\n\n" + LoadMessage(UiLanguage(), kMsgOnlyFirst);
  if (ShowMessage(g_mainWindow, question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return;
  const std::u16string path = Store().current_path();
  if (!RunSql(Store().db(), first.sql).ok) {
    // SQLite's text was shown; nothing ran, the library stays open.
    return;
  }
  CloseLibrary(false);
  OpenLibraryPath(path);
}

// Alt+V: compact the file, then count repeated ids and rows the tree hides.
void VacuumRoutine(int) {
  if (ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgVacuumAsk, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
          IDYES ||
      !SaveModifiedPages())
    return;
  WorkClaim claim = Store().ClaimWork();
  if (!claim) return;
  Db& db = Store().db();
  const HCURSOR arrow = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const bool compacted = db.Exec("vacuum");
  SetCursor(arrow);
  if (compacted) {
    // VACUUM may give the rows new rowids; pages are found by them.
    RereadRowids(Store(), Model());
    Say(kMsgVacuumOk, MB_ICONINFORMATION);
  }
  ReportDuplicateIds();
  ReportHiddenRows();
}

}  // namespace

void RegisterExecRoutines() {
  SetRoutine(Routine::kExecuteSelection, ExecuteRoutine);
  SetRoutine(Routine::kRunSql, RunSqlRoutine);
  SetRoutine(Routine::kVacuum, VacuumRoutine);
}

}  // namespace lw
