#include "store/search_node_win.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "res/resource.h"
#include "store/library_win.h"
#include "store/node_search.h"

namespace lw {

namespace {

// The dialog templates name this class: a window of its own kind is never
// mistaken for one of the system's dialog boxes (class #32770).
constexpr wchar_t kSearchClass[] = L"LorewellSearchNode";
// Bitmap 793 is one 16 x 12 image; this colour is its transparent part.
constexpr COLORREF kImageMask = RGB(255, 0, 255);
constexpr int kItemHeight = 19;

HWND g_window = nullptr;
// Set while the list is rebuilt, so that the control's own selection
// changes are not taken for the user's choice.
bool g_filling = false;

HWND Edit(HWND window) { return GetDlgItem(window, kSearchEditId); }
HWND Hits(HWND window) { return GetDlgItem(window, kSearchTreeId); }


std::wstring TextOf(HWND edit) {
  const int length = GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), length + 1)));
  return text;
}

void AddTooltip(HWND window) {
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                             nullptr, g_instance, nullptr);
  if (!tip) return;
  std::wstring text = LoadMessage(UiLanguage(), kSearchTooltipMessage);
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = window;
  ti.uId = reinterpret_cast<UINT_PTR>(Edit(window));
  ti.lpszText = text.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void SetUpHitList(HWND hits) {
  HIMAGELIST images = ImageList_Create(16, 12, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (auto bitmap = static_cast<HBITMAP>(LoadImageW(g_instance, MAKEINTRESOURCEW(IDB_SEARCH_IMAGE),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    ImageList_AddMasked(images, bitmap, kImageMask);
    DeleteObject(bitmap);
  }
  TreeView_SetImageList(hits, images, TVSIL_NORMAL);
  SendMessageW(hits, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
  TreeView_SetBkColor(hits, RGB(255, 255, 255));
  TreeView_SetUnicodeFormat(hits, TRUE);
  // The control rounds an odd item height down unless told not to.
  SetWindowLongPtrW(hits, GWL_STYLE, GetWindowLongPtrW(hits, GWL_STYLE) | TVS_NONEVENHEIGHT);
  TreeView_SetItemHeight(hits, kItemHeight);
}

void AddHit(HWND hits, const SearchHit& hit) {
  std::wstring title = ToWide(hit.title);
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = title.data();
  insert.item.iImage = 0;
  insert.item.iSelectedImage = 0;
  insert.item.lParam = hit.id;
  SendMessageW(hits, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

void ClearHits(HWND window) {
  g_filling = true;
  TreeView_DeleteAllItems(Hits(window));
  g_filling = false;
}

// The list becomes the hits of the edit's text, in the store's order.
void RunSearch(HWND window) {
  ClearHits(window);
  const std::wstring text = TextOf(Edit(window));
  if (text.empty() || !Store().library_open()) return;
  HWND hits = Hits(window);
  g_filling = true;
  SendMessageW(hits, WM_SETREDRAW, FALSE, 0);  // one repaint, however many hits
  for (const SearchHit& hit : SearchNodes(Store().db(), ToU16(text))) AddHit(hits, hit);
  SendMessageW(hits, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hits, nullptr, TRUE);
  g_filling = false;
  SetFocus(Edit(window));
}

void GoToChosenHit(const NMTREEVIEWW& change) {
  if (g_filling || !change.itemNew.hItem) return;
  // The page on screen is left for another: its edits are saved first.
  if (!SaveModifiedPages()) return;
  const int id = static_cast<int>(change.itemNew.lParam);
  if (std::optional<ShownPage> page = GoToHit(Store(), Model(), id)) ShowShownPage(*page);
}

// Closing only hides the window; the next search starts from nothing.
void HideAndEmpty(HWND window) {
  ShowWindow(window, SW_HIDE);
  SetWindowTextW(Edit(window), L"");
  ClearHits(window);
}

// --- Handlers ---------------------------------------------------------------------

INT_PTR OnInitDialog(HWND window) {
  SendMessageW(Edit(window), EM_LIMITTEXT, kSearchTextLimit, 0);
  AddTooltip(window);
  SetUpHitList(Hits(window));
  return FALSE;  // the focus is placed when the window is shown
}

INT_PTR OnCommand(HWND window, int id, int code) {
  if (id == kSearchEditId && code == EN_CHANGE && IsWindowVisible(window)) RunSearch(window);
  if (id == IDCANCEL) HideAndEmpty(window);
  return TRUE;
}

INT_PTR OnNotify(const NMHDR& header) {
  if (header.idFrom != kSearchTreeId || header.code != TVN_SELCHANGEDW) return FALSE;
  GoToChosenHit(reinterpret_cast<const NMTREEVIEWW&>(header));
  return TRUE;
}

// A press on the window's body moves the window as its caption would.
INT_PTR OnBodyPressed(HWND window) {
  ReleaseCapture();
  SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return TRUE;
}

INT_PTR OnDestroy(HWND window) {
  HIMAGELIST images = TreeView_SetImageList(Hits(window), nullptr, TVSIL_NORMAL);
  if (images) ImageList_Destroy(images);
  return FALSE;
}

INT_PTR CALLBACK SearchNodeProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: return OnInitDialog(window);
    case WM_DESTROY: return OnDestroy(window);
    case WM_NCDESTROY:
      if (window == g_window) g_window = nullptr;
      return FALSE;
  }
  // While a worker owns the library the window does nothing at all.
  const bool busy = Store().busy();
  switch (msg) {
    case WM_COMMAND: return busy || OnCommand(window, LOWORD(wp), HIWORD(wp));
    case WM_NOTIFY: return busy || OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CLOSE: return busy || OnCommand(window, IDCANCEL, BN_CLICKED);
    case WM_LBUTTONDOWN: return busy || OnBodyPressed(window);
  }
  return FALSE;
}

}  // namespace

void CreateSearchNodeWindow() {
  DestroySearchNodeWindow();
  if (!RegisterDialogClass(kSearchClass)) return;
  g_window = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(UiLanguage() * 100), g_mainWindow,
                                SearchNodeProc, 0);
}

void DestroySearchNodeWindow() {
  if (g_window) DestroyWindow(g_window);
  g_window = nullptr;
}

HWND SearchNodeWindow() { return g_window; }

void ShowSearchNode() {
  if (!g_window || Store().busy() || !Store().library_open()) return;
  if (IsWindowVisible(g_window)) {
    SetActiveWindow(g_window);
    return;
  }
  ShowWindow(g_window, SW_SHOWNOACTIVATE);
  SetFocus(Edit(g_window));
}

void SearchNodeCommand(int) { ShowSearchNode(); }

void CloseSearchNode() {
  if (HWND window = SearchNodeWindow()) HideAndEmpty(window);
}

}  // namespace lw
