#include "editor/find_win.h"

#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/commands.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/find.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/node_search.h"

namespace lw {

namespace {

constexpr wchar_t kFindClass[] = L"LorewellFind";
constexpr int kMsgCantFind = 25;
constexpr DWORD kProgressAfterMs = 500;

struct FindState {
  std::wstring what;
  std::wstring with;
  bool down = false;  // no direction is set until the first F3
  bool match_case = false;
  bool whole_word = false;
};

FindState g_find;
HWND g_window = nullptr;
std::atomic<bool> g_stop{false};
bool g_running = false;

std::wstring EditText(int id) {
  HWND edit = GetDlgItem(g_window, id);
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
  return text;
}

FindFlags Flags() { return FindFlags{g_find.match_case, g_find.whole_word}; }

void EnableButtons(bool on) {
  EnableWindow(GetDlgItem(g_window, kSearchButtonId), on);
  EnableWindow(GetDlgItem(g_window, kReplaceButtonId), on);
}

void SetDirection(bool down) {
  g_find.down = down;
  CheckDlgButton(g_window, kGoDownId, down ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_window, kGoUpId, down ? BST_UNCHECKED : BST_CHECKED);
}

// The primary page's selection without its paragraph ends, as a search text.
std::wstring SelectionAsSearchText() {
  std::wstring text = SelectedText(g_shell.editor1);
  text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
  if (text.size() > static_cast<size_t>(kFindTextLimit)) text.resize(static_cast<size_t>(kFindTextLimit));
  return text;
}

// The search in the primary pane, from the selection onwards (down) or
// backwards: the hit is selected. The page's text is searched with the same
// rules as the other pages were, so a page said to hold the text is found
// to hold it (the control's own search folds the case of ASCII letters only
// on some systems).
bool FindInPrimaryPage() {
  HWND pane = g_shell.editor1;
  CHARRANGE sel{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  const std::u16string text = ToU16(PaneText(pane));
  const size_t from = static_cast<size_t>(g_find.down ? sel.cpMax : sel.cpMin);
  const std::optional<size_t> at = FindInText(text, ToU16(g_find.what), Flags(), from, g_find.down);
  if (!at) return false;
  CHARRANGE hit{static_cast<LONG>(*at), static_cast<LONG>(*at + g_find.what.size())};
  SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&hit));
  SendMessageW(pane, EM_SCROLLCARET, 0, 0);
  return true;
}

void NotFound() {
  EnableButtons(true);
  ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgCantFind, MB_ICONINFORMATION, g_find.what);
}

// The node `id` in the tree and the primary pane, with the caret where a
// search in that direction starts. False when the selection could not move.
bool ShowNode(int id) {
  if (!SaveModifiedPages()) return false;
  std::optional<ShownPage> page = GoToHit(Store(), Model(), id);
  if (!page) return false;
  ShowShownPage(*page);
  if (Model().selected_id() != id) return false;
  SendMessageW(g_shell.editor1, EM_SETSEL, g_find.down ? 0 : static_cast<WPARAM>(-1),
               g_find.down ? 0 : -1);
  return true;
}

// The pages that hold the text are known: the next one in the tree's order
// whose page the control agrees holds it.
void GoToNextHit(const PageScan& scan) {
  g_running = false;
  if (scan.stopped || scan.failed) {
    EnableButtons(true);
    return;
  }
  std::vector<int> order;
  order.reserve(Model().index().size());
  for (const IndexEntry& e : Model().index()) order.push_back(e.id);
  int from = Model().selected_id();
  while (std::optional<int> next = NextHit(order, scan.ids, from, g_find.down)) {
    if (!ShowNode(*next)) break;
    if (FindInPrimaryPage()) {
      EnableButtons(true);
      return;
    }
    from = *next;
  }
  NotFound();
}

// The other pages, read on a worker that only reads: the tree stays on
// screen and the busy flag keeps every change out. The strip's bar shows
// after half a second; Esc stops the search.
void SearchOtherPages() {
  WorkClaim claim = Store().ClaimWork();
  if (!claim) return;
  auto scan = std::make_shared<PageScan>();
  const std::u16string what = ToU16(g_find.what);
  const FindFlags flags = Flags();
  const DWORD start = GetTickCount();
  ProgressSink bar = WorkerProgress();
  g_stop = false;
  g_running = true;
  const bool started = RunWorker(
      std::move(claim),
      [scan, what, flags, start, bar](WorkClaim) {
        *scan = ScanPages(Store().db(), what, flags, [] { return g_stop.load(); },
                          [start, bar](int percent) {
                            if (GetTickCount() - start > kProgressAfterMs) bar(percent);
                          });
      },
      [scan] { GoToNextHit(*scan); }, false, WorkerKind::kReadsOnly);
  if (!started) {
    g_running = false;
    EnableButtons(true);
  }
}

void FindNext() {
  if (g_running || !g_window) return;
  CloseSecondPane();
  g_find.what = EditText(kFindWhatId);
  if (g_find.what.empty()) return;
  if (Model().selected() == Model().library_root() && !Model().library_root()->children().empty())
    ShowNode(Model().library_root()->children().front().id());
  EnableButtons(false);
  if (FindInPrimaryPage()) {
    EnableButtons(true);
    return;
  }
  if (g_settings.searchHereOnly || !Store().library_open()) {
    NotFound();
    return;
  }
  if (!SaveModifiedPages()) {
    EnableButtons(true);
    return;
  }
  SearchOtherPages();
}

// Replaces the selection only when it is the text sought, under the current
// choices; then finds the next.
void ReplaceAndFindNext() {
  g_find.what = EditText(kFindWhatId);
  g_find.with = EditText(kReplaceWithId);
  if (g_find.what.empty() || g_running) return;
  CloseSecondPane();
  const std::wstring selected = SelectedText(g_shell.editor1);
  const bool matches = selected.size() == g_find.what.size() &&
                       FindInText(ToU16(selected), ToU16(g_find.what), Flags(), 0, true) == size_t{0};
  g_shell.currentEditor = g_shell.editor1;
  if (matches && ActivePageEditable())
    SendMessageW(g_shell.editor1, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(g_find.with.c_str()));
  FindNext();
}

void PlacePinned() {
  if (!g_settings.pinDialogs) return;
  SetWindowPos(g_window, nullptr, g_settings.windowX + g_settings.windowWidth, g_settings.windowY + 77, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OpenFindWindow() {
  if (!g_window || g_running) return;
  CloseSecondPane();
  const std::wstring selection = SelectionAsSearchText();
  if (!selection.empty()) g_find.what = selection;
  if (!g_find.what.empty()) SetDlgItemTextW(g_window, kFindWhatId, g_find.what.c_str());
  if (IsWindowVisible(g_window)) {
    SetActiveWindow(g_window);
    return;
  }
  SetDlgItemTextW(g_window, kReplaceWithId, g_find.with.c_str());
  CheckDlgButton(g_window, kHereOnlyId, g_settings.searchHereOnly ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_window, kMatchCaseId, g_find.match_case ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_window, kWholeWordId, g_find.whole_word ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_window, kGoDownId, g_find.down ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_window, kGoUpId, g_find.down ? BST_UNCHECKED : BST_CHECKED);
  PlacePinned();
  ShowWindow(g_window, SW_SHOWNOACTIVATE);
  SetFocus(GetDlgItem(g_window, kFindWhatId));
}

void OnChoice(int id) {
  const bool on = IsDlgButtonChecked(g_window, id) == BST_CHECKED;
  switch (id) {
    case kHereOnlyId: g_settings.searchHereOnly = on ? 1 : 0; break;
    case kMatchCaseId: g_find.match_case = on; break;
    case kWholeWordId: g_find.whole_word = on; break;
    case kGoUpId: g_find.down = !on; break;
    case kGoDownId: g_find.down = on; break;
  }
}

void OnCancel() {
  if (StopFind()) return;
  ShowWindow(g_window, SW_HIDE);
  SetFocus(g_shell.editor1);
}

void OnClickActivate() {
  if (!EditText(kFindWhatId).empty()) return;
  const std::wstring selection = SelectionAsSearchText();
  if (!selection.empty()) SetDlgItemTextW(g_window, kFindWhatId, selection.c_str());
}

INT_PTR CALLBACK FindProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      for (int id : {kFindWhatId, kReplaceWithId}) {
        SendDlgItemMessageW(hwnd, id, EM_LIMITTEXT, kFindTextLimit, 0);
        SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kSearchButtonId: FindNext(); return TRUE;
        case kReplaceButtonId: ReplaceAndFindNext(); return TRUE;
        case IDCANCEL: OnCancel(); return TRUE;
        default:
          if (LOWORD(wp) >= kHereOnlyId && LOWORD(wp) <= kGoDownId && HIWORD(wp) == BN_CLICKED) OnChoice(LOWORD(wp));
          return FALSE;
      }
    case WM_LBUTTONDOWN:  // dragged by any free spot
      ReleaseCapture();
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_CLICKACTIVE) OnClickActivate();
      return FALSE;
  }
  return FALSE;
}
}  // namespace

void CreateFindWindow() {
  DestroyFindWindow();
  if (!RegisterDialogClass(kFindClass)) return;
  g_window = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(UiLanguage() * 10), g_mainWindow, FindProc, 0);
}

void DestroyFindWindow() {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
}

HWND FindWindowHandle() { return g_window; }

void FindRoutine(int id) {
  if (id == kCmdFind || !g_window) {
    OpenFindWindow();
    return;
  }
  if (EditText(kFindWhatId).empty()) {
    OpenFindWindow();
    return;
  }
  SetDirection(id == kCmdFindNext);
  FindNext();
}

bool StopFind() {
  if (!g_running) return false;
  g_stop = true;
  return true;
}

bool FindRunning() { return g_running; }

void PinFindWindow() {
  if (g_window && IsWindowVisible(g_window)) PlacePinned();
}

}  // namespace lw
