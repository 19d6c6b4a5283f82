#include "app/app_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "store/demo_library.h"
#include "store/library_view.h"

namespace lw {

HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;

namespace {

constexpr wchar_t kMainClass[] = L"appW";
constexpr int kStripHeight = 28;
constexpr int kSplitterWidth = 4;
constexpr int kCloseButtonWidth = 28;
constexpr int kTreeId = 333;
constexpr int kEditorId = 334;
constexpr COLORREF kWindowColor = RGB(201, 211, 226);

HFONT g_uiFont = nullptr;
HBRUSH g_windowBrush = nullptr;
HMODULE g_richEdit = nullptr;
HWND g_tree = nullptr;
HWND g_editor = nullptr;
std::wstring g_libraryPath;
bool g_classRegistered = false;

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

RECT CloseButtonRect(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  return RECT{rc.right - kCloseButtonWidth, 0, rc.right, kStripHeight};
}

void Layout(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  g_settings.clientWidth = rc.right;
  g_settings.clientHeight = rc.bottom;
  int tree = g_settings.treeWidth;
  int height = rc.bottom - kStripHeight;
  if (height < 0) height = 0;
  if (g_tree) MoveWindow(g_tree, 0, kStripHeight, tree, height, TRUE);
  if (g_editor) {
    int x = tree + kSplitterWidth;
    MoveWindow(g_editor, x, kStripHeight, rc.right > x ? rc.right - x : 0, height, TRUE);
  }
}

struct StreamSource {
  const std::string* bytes;
  size_t pos;
};

DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* src = reinterpret_cast<StreamSource*>(cookie);
  size_t left = src->bytes->size() - src->pos;
  size_t n = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
  memcpy(buffer, src->bytes->data() + src->pos, n);
  src->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

void ShowPage(int32_t id) {
  if (!g_editor) return;
  std::string rtf = g_libraryPath.empty() ? std::string() : ReadLibraryPage(U(g_libraryPath), id);
  StreamSource src{&rtf, 0};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
  es.pfnCallback = ReadFromString;
  SendMessageW(g_editor, EM_STREAMIN, rtf.rfind("{\\rtf", 0) == 0 ? SF_RTF : SF_TEXT,
               reinterpret_cast<LPARAM>(&es));
}

void FillTree() {
  TreeView_DeleteAllItems(g_tree);
  if (g_libraryPath.empty()) return;
  std::vector<TreeRow> rows;
  std::u16string error;
  if (!ReadLibraryTree(U(g_libraryPath), &rows, &error)) {
    ShowMessage(g_mainWindow, W(error), MB_ICONERROR);
    return;
  }
  HTREEITEM parents[4] = {TVI_ROOT, nullptr, nullptr, nullptr};
  HTREEITEM first = nullptr;
  for (const TreeRow& row : rows) {
    if (row.level < 1 || row.level > 3 || !parents[row.level - 1]) continue;
    std::wstring title = W(row.title);
    TVINSERTSTRUCTW ins{};
    ins.hParent = parents[row.level - 1];
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = &title[0];
    ins.item.lParam = row.id;
    HTREEITEM item = TreeView_InsertItem(g_tree, &ins);
    if (row.level < 3) parents[row.level] = item;
    if (row.level == 1) parents[2] = nullptr;  // a book never hangs under an earlier folder
    if (!first && row.level == 3) first = item;
  }
  for (HTREEITEM f = TreeView_GetRoot(g_tree); f; f = TreeView_GetNextSibling(g_tree, f))
    TreeView_Expand(g_tree, f, TVE_EXPAND);
  if (first) TreeView_SelectItem(g_tree, first);
}

void PaintStrip(HWND hwnd, HDC dc) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  RECT strip{0, 0, rc.right, kStripHeight};
  FillRect(dc, &strip, g_windowBrush);
  HFONT old = static_cast<HFONT>(SelectObject(dc, g_uiFont));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(30, 40, 60));
  std::wstring title = L"Lorewell";
  if (!g_libraryPath.empty()) title += L"   " + g_libraryPath;
  RECT text{10, 0, rc.right - kCloseButtonWidth - 4, kStripHeight};
  DrawTextW(dc, title.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  SelectObject(dc, old);
  // The close cross, drawn rather than taken from a font that may lack it.
  RECT close = CloseButtonRect(hwnd);
  int cx = (close.left + close.right) / 2, cy = kStripHeight / 2;
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(30, 40, 60));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  MoveToEx(dc, cx - 5, cy - 5, nullptr);
  LineTo(dc, cx + 5, cy + 5);
  MoveToEx(dc, cx + 5, cy - 5, nullptr);
  LineTo(dc, cx - 5, cy + 5);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      g_tree = CreateWindowExW(WS_EX_STATICEDGE, WC_TREEVIEWW, L"",
                               WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                   TVS_SHOWSELALWAYS | TVS_NOHSCROLL | TVS_LINESATROOT,
                               0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(kTreeId), g_instance, nullptr);
      g_editor = CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                     ES_AUTOVSCROLL | ES_NOHIDESEL | ES_READONLY,
                                 0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(kEditorId), g_instance, nullptr);
      if (!g_tree || !g_editor) return -1;
      SendMessageW(g_tree, WM_SETFONT, reinterpret_cast<WPARAM>(g_uiFont), FALSE);
      SendMessageW(g_editor, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
      return 0;
    }
    case WM_SIZE:
      Layout(hwnd);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      if (!IsIconic(hwnd) && !IsZoomed(hwnd)) {
        RECT wr;
        GetWindowRect(hwnd, &wr);
        g_settings.windowX = wr.left;
        g_settings.windowY = wr.top;
        g_settings.windowWidth = wr.right - wr.left;
        g_settings.windowHeight = wr.bottom - wr.top;
      }
      return r;
    }
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
      mm->ptMinTrackSize.x = 600;
      mm->ptMinTrackSize.y = 400;
      return 0;
    }
    case WM_NCHITTEST: {
      LRESULT hit = DefWindowProcW(hwnd, msg, wp, lp);
      if (hit != HTCLIENT) return hit;
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ScreenToClient(hwnd, &pt);
      RECT close = CloseButtonRect(hwnd);
      // The strip is the caption of this frameless window.
      if (pt.y < kStripHeight && !PtInRect(&close, pt)) return HTCAPTION;
      return HTCLIENT;
    }
    case WM_LBUTTONUP: {
      POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      RECT close = CloseButtonRect(hwnd);
      if (PtInRect(&close, pt)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (nm->idFrom == kTreeId && nm->code == TVN_SELCHANGEDW) {
        auto* tv = reinterpret_cast<NMTREEVIEWW*>(lp);
        ShowPage(static_cast<int32_t>(tv->itemNew.lParam));
      }
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintStrip(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      CloseApplication();
      return 0;
    case WM_DESTROY:
      g_tree = g_editor = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::wstring FolderOf(const std::wstring& file) {
  size_t cut = file.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : file.substr(0, cut + 1);
}

}  // namespace

const std::wstring& CurrentLibraryPath() { return g_libraryPath; }

int StartApplication(HINSTANCE instance, const StartOptions& options) {
  g_instance = instance;
  if (LoadSettings(options.settingsFolder) != LoadResult::kOk) return 1;

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);

  HDC screen = GetDC(nullptr);
  int height = -MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  g_uiFont = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH, L"Consolas");
  g_windowBrush = CreateSolidBrush(kWindowColor);

  g_richEdit = LoadLibraryW(L"msftedit.dll");
  if (!g_richEdit) FatalAppExitA(0, "!msftedit");

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = g_windowBrush;
  wc.lpszClassName = kMainClass;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  if (!RegisterClassExW(&wc)) FatalAppExitA(0, "!wappW");
  g_classRegistered = true;

  g_libraryPath = options.libraryPath;
  if (!g_libraryPath.empty() && GetFileAttributesW(g_libraryPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    ShowLocalMessage(nullptr, g_settings.language, 36, MB_ICONINFORMATION, g_libraryPath);
    g_libraryPath.clear();
  }
  if (g_libraryPath.empty() && options.makeDemoOnFirstRun && SettingsWereNew()) {
    // A first start shows a small notebook instead of an empty window.
    std::wstring demo = FolderOf(g_settingsFilePath) + L"Lorewell demo.db";
    if (GetFileAttributesW(demo.c_str()) != INVALID_FILE_ATTRIBUTES ||
        MakeDemoLibrary(U(demo), [](const std::u16string& e) { ShowMessage(g_mainWindow, std::wstring(e.begin(), e.end()), MB_ICONERROR); })) {
      g_libraryPath = demo;
    }
  }

  g_mainWindow = CreateWindowExW(WS_EX_ACCEPTFILES, kMainClass, L"",
                                 WS_POPUP | WS_CLIPCHILDREN | WS_THICKFRAME | WS_MINIMIZEBOX |
                                     WS_MAXIMIZEBOX,
                                 g_settings.windowX, g_settings.windowY, g_settings.windowWidth,
                                 g_settings.windowHeight, nullptr, nullptr, instance, nullptr);
  if (!g_mainWindow) FatalAppExitA(0, "!appW");
  // The taskbar label; set through the default procedure as the window has
  // no caption of its own.
  DefWindowProcW(g_mainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Lorewell"));
  SetWindowPos(g_mainWindow, g_settings.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FillTree();
  ShowWindow(g_mainWindow, options.showCommand);
  UpdateWindow(g_mainWindow);
  Layout(g_mainWindow);
  return 0;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int CloseApplication() {
  SettingsCloseState state;
  state.libraryOpen = !g_libraryPath.empty();
  state.libraryPath = U(g_libraryPath);
  state.maximized = IsZoomed(g_mainWindow) != 0;
  PrepareSettingsForSave(&g_settings, state);
  SaveSettings();
  DestroyWindow(g_mainWindow);
  g_mainWindow = nullptr;
  return 0;
}

void EndApplication() {
  if (g_classRegistered) UnregisterClassW(kMainClass, g_instance);
  g_classRegistered = false;
  if (g_uiFont) DeleteObject(g_uiFont);
  if (g_windowBrush) DeleteObject(g_windowBrush);
  g_uiFont = nullptr;
  g_windowBrush = nullptr;
  g_libraryPath.clear();
}

}  // namespace lw
