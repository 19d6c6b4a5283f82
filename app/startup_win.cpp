// Start-up in its fixed order, the message loop and the close sequence.
#include "app/app_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <string>

#include "app/commands_win.h"
#include "app/language_win.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/options_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "editor/format_win.h"
#include "editor/pane_win.h"
#include "music/midi_win.h"
#include "music/palette_win.h"
#include "music/player_win.h"
#include "res/resource.h"
#include "store/demo_library.h"
#include "store/file_safety.h"
#include "store/library_win.h"
#include "store/node_store_win.h"
#include "store/password_box_win.h"
#include "store/search_node_win.h"
#include "store/tree_win.h"

namespace lw {

namespace {


// The window classes, registered in this order with one record that is
// changed between registrations.
struct ClassRow {
  const wchar_t* name;
  WNDPROC proc;
  UINT style;
  int brush;  // 0 window brush, 1 black, 2 blue, 3 orange
  const char* failure;
};

const ClassRow kClasses[] = {
    {L"b", StripButtonProc, 0, 0, "!wb"},
    {L"bplay", PlayerButtonProc, 0, 0, "!bplay"},
    {L"playW", PlayerBarProc, 0, 0, "!wplay"},
    {L"tb", StripProc, CS_DBLCLKS, 0, "!wtb"},
    {L"div", DefWindowProcW, 0, 1, "!div"},  // the options panel takes its own procedure
    {L"alb", DefWindowProcW, 0, 2, "!alb"},
    {L"roz", DefWindowProcW, 0, 3, "!roz"},
    {L"appW", MainWindowProc, CS_DBLCLKS, 0, "!wappW"},
};
bool g_registered[sizeof kClasses / sizeof kClasses[0]] = {};
HBRUSH g_classBrushes[3] = {};



bool FileExists(const std::wstring& path) { return KindOfPath(ToU16(path)) == PathKind::kRegular; }

std::wstring FolderOf(const std::wstring& file) {
  size_t cut = file.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : file.substr(0, cut + 1);
}

// A window of the shell, placed later; start-up ends with `failure` when it
// cannot be made. `id` is 0 for the pop-ups.
HWND CreateShellWindow(DWORD exStyle, const wchar_t* cls, DWORD style, HWND parent, int id,
                       const char* failure, int width = 0, int height = 0) {
  HWND hwnd = CreateWindowExW(exStyle, cls, L"", style, 0, 0, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
  if (!hwnd) Fatal(failure);
  return hwnd;
}

HWND FindOtherInstance() {
  HWND other = FindWindowW(L"appW", nullptr);
  return other && !IsIconic(other) ? other : nullptr;
}

std::u16string StoredPassword() {
  return g_settings.storeLastPassword ? GetFixedString(g_settings.lastPassword, kPasswordCapacity)
                                      : std::u16string();
}

// A first start shows a small notebook instead of an empty window.
std::u16string DemoLibrary() {
  const std::wstring demo = FolderOf(g_settingsFilePath) + L"Lorewell demo.db";
  if (FileExists(demo) || MakeDemoLibrary(ToU16(demo), ReportStoreError)) return ToU16(demo);
  return {};
}

// The library start-up opens: the first command-line argument when it
// ends exactly in ".db" or ".IDB" (any other argument means none), else the
// library open at the last close, else the demo on a first start. False
// when the argument names a library held elsewhere: this instance ends.
bool LibraryToOpen(const StartOptions& options, std::u16string* path) {
  path->clear();
  if (!options.libraryPath.empty()) {
    const std::u16string arg = ToU16(options.libraryPath);
    if (!IsLibraryArgument(arg)) return true;
    if (KindOfPath(arg) == PathKind::kMissing) {
      ShowLocalMessage(g_mainWindow, UiLanguage(), 36, MB_ICONINFORMATION, options.libraryPath);
      return true;
    }
    if (!CanReadUnshared(arg)) {
      ShowLocalMessage(g_mainWindow, UiLanguage(), 35, MB_ICONINFORMATION, options.libraryPath);
      return false;
    }
    *path = arg;
    return true;
  }
  const std::u16string last = GetFixedString(g_settings.lastLibraryPath, kPathCapacity);
  if (g_settings.storeLastLibrary && !last.empty() && FileExists(ToWide(last)) && CanReadUnshared(last)) {
    *path = last;
  } else if (options.makeDemoOnFirstRun && SettingsWereNew()) {
    *path = DemoLibrary();
  }
  return true;
}

}  // namespace

bool TranslateAppAccelerator(MSG* msg) {
  // The Search Node window takes its own keys (Escape, Tab) first.
  if (HWND search = SearchNodeWindow(); search && IsWindowVisible(search) && IsDialogMessageW(search, msg))
    return true;
  // So does Find/Replace: Esc there closes it and never reaches the main
  // window's minimise key.
  if (HWND find = FindWindowHandle(); find && IsWindowVisible(find) && IsDialogMessageW(find, msg))
    return true;
  return g_mainWindow && g_shell.accelerators &&
         TranslateAcceleratorW(g_mainWindow, g_shell.accelerators, msg) != 0;
}

namespace {

// A second instance opens beside the first instead of on top of it.
void PlaceBesideOtherInstance() {
  if (HWND other = FindOtherInstance()) {
    RECT r;
    GetWindowRect(other, &r);
    g_settings.windowX = r.left + 33;
    g_settings.windowY = r.top + 33;
    g_settings.windowWidth = r.right - r.left;
    g_settings.windowHeight = r.bottom - r.top;
    g_settings.lastNodeId = 0;
  }
}

// Fonts, brushes, pens and bitmaps of the shell.
void CreateGraphics(HINSTANCE instance) {
  HDC screenDc = GetDC(nullptr);
  int dpi = GetDeviceCaps(screenDc, LOGPIXELSY);
  ReleaseDC(nullptr, screenDc);
  g_shell.uiFont = CreateFontW(MulDiv(11, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                               L"Consolas");
  g_shell.windowBrush = CreateSolidBrush(kWindowColor);
  g_shell.whiteBrush = CreateSolidBrush(RGB(255, 255, 255));
  g_shell.lightPen = CreatePen(PS_SOLID, 1, RGB(215, 227, 242));
  g_shell.gripV = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_GRIP_VERTICAL), IMAGE_BITMAP, 0, 0, 0));
  g_shell.gripH = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_GRIP_HORIZONTAL), IMAGE_BITMAP, 0, 0, 0));
  g_classBrushes[0] = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  g_classBrushes[1] = CreateSolidBrush(RGB(51, 153, 255));
  g_classBrushes[2] = CreateSolidBrush(RGB(255, 155, 0));
}

// The window classes, in their fixed order.
void RegisterWindowClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  for (size_t i = 0; i < sizeof kClasses / sizeof kClasses[0]; ++i) {
    const ClassRow& row = kClasses[i];
    wc.lpszClassName = row.name;
    wc.lpfnWndProc = row.proc;
    wc.style = row.style;
    wc.hbrBackground = row.brush == 0 ? g_shell.windowBrush : g_classBrushes[row.brush - 1];
    if (lstrcmpW(row.name, L"appW") == 0) {
      wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_LOREWELL));
      wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_LOREWELL), IMAGE_ICON, 16, 16, 0));
    }
    if (!RegisterClassExW(&wc)) Fatal(row.failure);
    g_registered[i] = true;
  }
}

// The player, the strip, the tree, the page panes and the pop-ups.
void CreateChildWindows() {
  g_shell.player = CreateShellWindow(WS_EX_LAYERED, L"playW", WS_POPUP, g_mainWindow, 0, "!playW");
  SetLayeredWindowAttributes(g_shell.player, 0, 111, LWA_ALPHA);
  CreatePlayerBar(g_shell.player);

  RECT rc;
  GetClientRect(g_mainWindow, &rc);
  g_settings.clientWidth = rc.right;
  g_settings.clientHeight = rc.bottom;
  CreateShellWindow(0, L"tb", WS_CHILD | WS_VISIBLE, g_mainWindow, 0, "!tb", rc.right, kStripHeight);

  g_shell.tree = CreateShellWindow(WS_EX_COMPOSITED | WS_EX_STATICEDGE, WC_TREEVIEWW,
                                   WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS |
                                       TVS_SHOWSELALWAYS | TVS_NOHSCROLL | TVS_NONEVENHEIGHT,
                                   g_mainWindow, kTreeId, "!t");
  SendMessageW(g_shell.tree, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);

  CreatePanes(g_mainWindow);

  g_shell.tooltip = CreateShellWindow(WS_EX_TOPMOST, TOOLTIPS_CLASSW, WS_POPUP | TTS_ALWAYSTIP, g_mainWindow, 0, "!tt");
  g_shell.overlay = CreateShellWindow(WS_EX_LAYERED, L"div", WS_POPUP, g_mainWindow, 0, "!div1");
  SetLayeredWindowAttributes(g_shell.overlay, 0, kOverlayAlpha, LWA_ALPHA);
  g_shell.options = CreateShellWindow(0, L"div", WS_POPUP, g_shell.overlay, 0, "!div2", kOptionsWidth, kOptionsHeight);
  CreateOptionsPanel();
  // Owned by the main window: a pane's control is replaced at each page.
  g_shell.marker1 = CreateShellWindow(WS_EX_NOACTIVATE, L"alb", WS_POPUP, g_mainWindow, 0, "!alb");
  g_shell.marker2 = CreateShellWindow(WS_EX_NOACTIVATE, L"roz", WS_POPUP, g_mainWindow, 0, "!roz");
}

}  // namespace

bool RegisterDialogClass(const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(g_instance, name, &wc)) return true;
  wc.lpfnWndProc = DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = g_instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

void Fatal(const char* code) {
  FatalAppExitA(0, code);
  ExitProcess(1);
}

int StartApplication(HINSTANCE instance, const StartOptions& options) {
  g_instance = instance;
  if (LoadSettings(options.settingsFolder) != LoadResult::kOk) return 1;

  // A stored layout the window cannot draw is corrected, not refused.
  Box screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
             GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  for (const std::string& note : ClampStoredLayout(&g_settings, screen))
    OutputDebugStringA(("lorewell: settings corrected: " + note + "\n").c_str());

  PlaceBesideOtherInstance();

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);

  CreateGraphics(instance);

  // Re-keyed libraries replace the old file with MoveFileExW write-through;
  // "already open" means what Windows means by it, a file that cannot be
  // opened with no sharing.
  InstallWindowsFileChecks();

  RegisterShellRoutines();
  RegisterStoreRoutines();
  RegisterEditorRoutines();
  RegisterMusicRoutines();
  RegisterExecRoutines();
  RegisterOnlineRoutines();

  RegisterWindowClasses(instance);

  g_mainWindow = CreateWindowExW(WS_EX_ACCEPTFILES, L"appW", L"",
                                 WS_POPUP | WS_CLIPCHILDREN | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                 g_settings.windowX, g_settings.windowY, g_settings.windowWidth,
                                 g_settings.windowHeight, nullptr, nullptr, instance, nullptr);
  if (!g_mainWindow) Fatal("!appW");
  // The taskbar label; set through the default procedure as the window has
  // no caption of its own.
  DefWindowProcW(g_mainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Lorewell"));
  RegisterHotKey(g_mainWindow, kHotKeyRestore, MOD_SHIFT, VK_ESCAPE);

  CreateChildWindows();

  // Until a node is selected the buttons from Execute to Right align are off.
  SetButtonStates(kButtonExecute, kButtonAlignRight, kStateDisabled);

  // The menu, the tooltips, the Find/Replace and Search Node windows and the
  // options panel in the stored language.
  ApplyLanguage(g_settings.language);
  CreateNotesPalette(g_mainWindow);
  OpenMidiOutput(g_mainWindow, g_settings.instrumentIndex);
  g_shell.currentEditor = g_shell.editor1;
  SetWindowPos(g_mainWindow, g_settings.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  StartLibraryWindow(g_mainWindow, g_shell.tree, LibraryMemoryOf(g_settings), StoredPassword());
  StartTreeWindow(g_shell.tree);
  CreatePasswordBox();
  std::u16string first;
  if (!LibraryToOpen(options, &first)) {
    DestroyWindow(g_mainWindow);
    g_mainWindow = nullptr;
    EndApplication();
    return 0;
  }

  ShowWindow(g_mainWindow, options.showCommand);
  LayoutChildren();
  UpdateWindow(g_mainWindow);
  g_shell.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN));
  // The window is up while the open worker fills the tree.
  if (!first.empty()) OpenLibraryPath(first);
  return 0;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAppAccelerator(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

int CloseApplication() {
  if (Store().busy()) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), 33, MB_ICONINFORMATION);
    return 1;
  }
  SettingsCloseState state;
  state.libraryOpen = Store().library_open();
  state.libraryPath = Store().current_path();
  state.passwordInUse = Store().password();
  state.readingMode = g_shell.readingStep != 0;
  state.maximized = IsZoomed(g_mainWindow) != 0;
  if (g_shell.tree) TreeView_EndEditLabelNow(g_shell.tree, FALSE);
  // A page that cannot be saved keeps the window open unless the user
  // chooses to lose its changes.
  if (!SaveModifiedPages()) {
    if (ShowLocalMessage(g_mainWindow, UiLanguage(), 94, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
      return 1;
    DiscardModifiedPages();
  }
  KillTimer(g_mainWindow, kSaveTimer);
  StopSpeaking();
  KeepLibraryMemory(Store().memory(), &g_settings);
  // The pages are saved and the library closed before the settings go.
  EndLibraryWindow();
  PrepareSettingsForSave(&g_settings, state);
  std::wstring why;
  if (!SaveSettings(&why)) {
    // The previous file is kept; the choices of this run are not, and the
    // user should know before the window goes.
    ShowMessage(g_mainWindow, LoadMessage(UiLanguage(), 67, g_settingsFilePath) + why,
                MB_ICONERROR);
  }
  UnregisterHotKey(g_mainWindow, kHotKeyRestore);
  DestroyWindow(g_mainWindow);
  g_mainWindow = nullptr;
  return 0;
}

void EndApplication() {
  EndLibraryWindow();
  DestroyNotesPalette();
  if (g_mainWindow && IsWindow(g_mainWindow)) DestroyWindow(g_mainWindow);
  g_mainWindow = nullptr;
  EndPlayer();
  CloseMidiOutput();
  FreeStripButtons();
  if (g_shell.menu) DestroyMenu(g_shell.menu);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(g_shell.uiFont),
                    static_cast<HGDIOBJ>(g_shell.windowBrush), static_cast<HGDIOBJ>(g_shell.whiteBrush),
                    static_cast<HGDIOBJ>(g_shell.lightPen),
                    static_cast<HGDIOBJ>(g_shell.gripV), static_cast<HGDIOBJ>(g_shell.gripH),
                    static_cast<HGDIOBJ>(g_classBrushes[1]), static_cast<HGDIOBJ>(g_classBrushes[2])})
    if (o) DeleteObject(o);
  g_classBrushes[1] = g_classBrushes[2] = nullptr;
  for (size_t i = 0; i < sizeof kClasses / sizeof kClasses[0]; ++i) {
    if (g_registered[i]) UnregisterClassW(kClasses[i].name, g_instance);
    g_registered[i] = false;
  }
  g_shell = Shell{};
}


}  // namespace lw
