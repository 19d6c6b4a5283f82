// The main window, its command table, the strip and the resources, driven
// in-process.
#include <windows.h>

#include <commctrl.h>

#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <thread>

#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "music/midi_win.h"
#include "store/library_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

void WriteSettings(const std::wstring& path, const AppSettings& s) {
  std::vector<uint8_t> bytes = SerializeSettings(s);
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

AppSettings ReadSettingsFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  AppSettings s{};
  EXPECT_EQ(ParseSettings(bytes.data(), bytes.size(), &s), SettingsParse::kOk);
  return s;
}

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}


class Shell : public AppTest {
 protected:
  // Keys typed by the tests go to the focused window of the active one.
  void Activate() {
    SetForegroundWindow(g_mainWindow);
    SetActiveWindow(g_mainWindow);
    SetFocus(g_shell.tree);
    Pump(20);
  }
  // Starts with no library (no demo), so no node is selected.
  int StartEmpty(StartOptions o = StartOptions()) {
    o.makeDemoOnFirstRun = false;
    return Start(o);
  }
};

TEST_F(Shell, ScreenshotsWithAllButtonsInBothLanguages) {
  for (int language : {409, 418}) {
    AppSettings s = DefaultSettings();
    s.language = language;
    for (int32_t& v : s.stripButtonVisible) v = 1;
    WriteSettings(Path("lorewell.set"), s);
    std::filesystem::path demo = dir().File("Lorewell demo.db");
    ASSERT_EQ(Start(), 0);
    // The settings file exists, so the demo of an earlier pass is reopened
    // as the last library, or none is shown on the first pass.
    wchar_t tip[40] = L"";
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = g_shell.strip;
    ti.uId = reinterpret_cast<UINT_PTR>(g_buttons[2]->window);
    ti.lpszText = tip;
    SendMessageW(g_shell.tooltip, TTM_GETTEXTW, 40, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(tip, language == 409 ? L" New file (Ctrl+N)" : L" Fișier db nou (Ctrl+N)");
    EXPECT_EQ(SendMessageW(g_shell.tooltip, TTM_GETTOOLCOUNT, 0, 0), kStripButtonCount);
    for (int i = 2; i <= 13; ++i) EXPECT_TRUE(IsWindowVisible(g_buttons[i]->window)) << i;
    // Every button has its four bitmaps.
    for (int i = 1; i <= kStripButtonCount; ++i)
      for (HBITMAP b : g_buttons[i]->bitmaps) EXPECT_TRUE(b) << "button " << i;
    SaveScreenshot(g_mainWindow, language == 409 ? "main-window-en-all-buttons" : "main-window-ro-all-buttons");
    EXPECT_EQ(Close(), 0);
  }
}

// The clamps themselves are Splitters.* of layout_test; here the mouse
// drives them and the children follow.
TEST_F(Shell, SplitterIsClampedAndDoubleClickTogglesTheTree) {
  ASSERT_EQ(StartEmpty(), 0);
  const int y = 300;
  SendMessageW(g_mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g_settings.treeWidth + 2, y));
  SendMessageW(g_mainWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-40, y));
  EXPECT_EQ(g_settings.treeWidth, 22);
  EXPECT_EQ(ChildRect(g_shell.tree).right, 22);
  EXPECT_EQ(ChildRect(g_shell.editor1).left, 26);
  SendMessageW(g_mainWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(152, y));
  EXPECT_EQ(g_settings.treeWidth, 150);
  SendMessageW(g_mainWindow, WM_LBUTTONUP, 0, MAKELPARAM(152, y));
  SendMessageW(g_mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(400, y));
  EXPECT_EQ(g_settings.treeWidth, 150) << "no drag after the button is up";

  SendMessageW(g_mainWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(152, y));
  EXPECT_EQ(g_settings.treeWidth, 22);
  SendMessageW(g_mainWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(24, y));
  EXPECT_EQ(g_settings.treeWidth, 177);
  EXPECT_EQ(ChildRect(g_shell.editor1).left, 181);
}

// What the settings keep of a maximised window in reading mode is
// Settings.SavingReplacesWhatTheCloseStateAsksFor; here the window
// reports both states.
TEST_F(Shell, ReadingModeHidesTheTreeAndClosingMaximisedInItStoresTheDefaults) {
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(SelectFirstFile());
  SetWindowPos(g_mainWindow, nullptr, 200, 150, 900, 700, SWP_NOZORDER);
  Activate();
  PressKeys({VK_CONTROL, VK_F8});
  EXPECT_EQ(g_shell.readingStep, 1);
  EXPECT_FALSE(IsWindowVisible(g_shell.tree));
  EXPECT_EQ(ChildRect(g_shell.editor1).left, 4);
  EXPECT_EQ(g_buttons[kButtonFind]->state, static_cast<unsigned>(kStateDisabled));
  ShowWindow(g_mainWindow, SW_MAXIMIZE);
  Pump(20);
  ASSERT_TRUE(IsZoomed(g_mainWindow));
  EXPECT_EQ(Close(), 0);
  const AppSettings s = ReadSettingsFile(Path("lorewell.set"));
  EXPECT_EQ(std::tuple(s.windowX, s.windowY, s.windowWidth, s.windowHeight, s.treeWidth),
            std::tuple(120, 120, 800, 600, 150));
}

TEST_F(Shell, EveryAcceleratorReachesItsRoutine) {
  ASSERT_EQ(StartEmpty(), 0);
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  ASSERT_TRUE(table);
  int n = CopyAcceleratorTableW(table, nullptr, 0);
  std::vector<ACCEL> keys(static_cast<size_t>(n));
  CopyAcceleratorTableW(table, keys.data(), n);
  ASSERT_GT(n, 0);
  std::vector<int> seen;
  SetDispatchProbe([&](int id, Routine r) {
    seen.push_back(id);
    EXPECT_EQ(r, FindCommand(id)->routine);
  });
  Activate();
  for (const ACCEL& a : keys) {
    // Ctrl+X, C and V on the focused tree are the tree's own (node) commands;
    // Ctrl+F, F3 and F4 there search the nodes' titles.
    const bool page_keys = (a.cmd >= kCmdCut && a.cmd <= kCmdPaste) || a.cmd == kCmdFind ||
                           a.cmd == kCmdFindNext || a.cmd == kCmdFindPrevious;
    SetFocus(page_keys ? g_shell.editor1 : g_shell.tree);
    seen.clear();
    std::vector<WORD> press;
    if (a.fVirt & FCONTROL) press.push_back(VK_CONTROL);
    if (a.fVirt & FSHIFT) press.push_back(VK_SHIFT);
    if (a.fVirt & FALT) press.push_back(VK_MENU);
    press.push_back(a.key);
    PressKeys(press);
    EXPECT_EQ(seen, std::vector<int>{a.cmd}) << "key " << a.key << " flags " << int(a.fVirt);
  }
  SetDispatchProbe(nullptr);
  DestroyAcceleratorTable(table);
}

void CollectMenu(HMENU menu, const std::wstring& indent, std::vector<std::pair<std::wstring, UINT>>* out,
                 std::vector<std::wstring>* labels) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = L"";
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi);
    out->push_back({indent + (mi.hSubMenu ? L"popup" : (mi.fType & MFT_SEPARATOR) ? L"-" : L"item"),
                    mi.hSubMenu ? 0 : mi.wID});
    labels->push_back(text);
    if (mi.hSubMenu) CollectMenu(mi.hSubMenu, indent + L"  ", out, labels);
  }
}

// Which ids the menus hold is CommandTable.AgreesWithTheResourceScript.
TEST(Resources, BothMenusHoldTheSameIdsInTheSameStructure) {
  HMENU en = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(409));
  HMENU ro = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(418));
  ASSERT_TRUE(en && ro);
  std::vector<std::pair<std::wstring, UINT>> a, b;
  std::vector<std::wstring> la, lb;
  CollectMenu(en, L"", &a, &la);
  CollectMenu(ro, L"", &b, &lb);
  EXPECT_EQ(a, b);
  EXPECT_GT(a.size(), 4u);
  // The script is UTF-8: the labels arrive with their letters whole.
  for (const wchar_t* label : {L"Închide acest db", L"Aliniat la stânga", L"Ștergere", L"Cruciuliță"})
    EXPECT_NE(std::find(lb.begin(), lb.end(), label), lb.end()) << label;
  EXPECT_NE(std::find(la.begin(), la.end(), L"Close this db"), la.end());
  DestroyMenu(en);
  DestroyMenu(ro);
}

TEST(Resources, EveryMessageExistsInBothLanguagesAndTooltipsFitTheirField) {
  for (int n = 1; n <= 67; ++n) {
    std::wstring en = LoadMessage(409, n), ro = LoadMessage(418, n);
    EXPECT_FALSE(en.empty()) << n;
    EXPECT_FALSE(ro.empty()) << n;
    if (n >= 2 && n <= 17) {
      EXPECT_LE(en.size(), 32u) << n;
      EXPECT_LE(ro.size(), 32u) << n;
      EXPECT_NE(en, ro) << n;
    }
  }
  // Escapes and trailing spaces of the texts show in the boxes of
  // TreeWindow.NodeCommandsWriteTheirRows and MoveSortAndDeleteAll.
  EXPECT_EQ(LoadMessage(418, 60).find(L"\r\nredenumiți"), 47u);
  EXPECT_EQ(LoadMessage(409, 36, L"C:\\a b.db"), L"The file 'C:\\a b.db' does not exist !");
  // A damaged language word falls back to English rather than an empty box.
  EXPECT_EQ(LoadMessage(12345, 20), L"The application requires at least Windows 8 !");
  // Bitmaps and icons the other parts load by number.
  HINSTANCE self = GetModuleHandleW(nullptr);
  for (int id : {1, 2, 3, 346, 777, 778, 793})
    EXPECT_TRUE(FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2))) << "bitmap " << id;
  for (int id = 1; id <= 5; ++id)
    EXPECT_TRUE(FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14))) << "icon " << id;
}

TEST_F(Shell, CommandLineRules) {
  // Capital "DB" is not a library (CommandLine.* of layout_test): nothing
  // opens and nothing is said.
  StartOptions o;
  o.libraryPath = Path("Notes.DB");
  { std::ofstream(std::filesystem::path(o.libraryPath)) << "x"; }
  ASSERT_EQ(Start(o), 0);
  EXPECT_TRUE(Store().current_path().empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Close(), 0);

  // A missing library: message 36 with the path, and the start goes on.
  o.libraryPath = Path("absent.db");
  AnswerNextBox(IDOK);
  ASSERT_EQ(Start(o), 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"The file '" + o.libraryPath + L"' does not exist !");
  EXPECT_TRUE(Store().current_path().empty());
  EXPECT_EQ(Close(), 0);

  // A library held by someone else: message 35 and exit code 0, no window.
  std::wstring held = Path("held.db");
  { std::ofstream(std::filesystem::path(held)) << "SQLite format 3"; }
  HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  o.libraryPath = held;
  AnswerNextBox(IDOK);
  EXPECT_EQ(Start(o), 0);
  CloseHandle(h);
  EXPECT_FALSE(g_mainWindow);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, L"The file '" + held + L"' is already open !");
}

TEST_F(Shell, CloseIsRefusedWhileAnInternalProcessRuns) {
  ASSERT_EQ(StartEmpty(), 0);
  WorkClaim worker = Store().ClaimWork();
  AnswerNextBox(IDOK);
  EXPECT_EQ(CloseApplication(), 1);
  worker.Release();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Internal process running, please wait !");
  EXPECT_TRUE(IsWindow(g_mainWindow));
  EXPECT_FALSE(std::filesystem::exists(dir().File("lorewell.set")));
}

TEST_F(Shell, KeepOnTopSurvivesARestart) {
  ASSERT_EQ(StartEmpty(), 0);
  HWND pin = g_buttons[kButtonTopMost]->window;
  EXPECT_EQ(PaintedBitmapSlot(kButtonTopMost), 0u);
  SendMessageW(pin, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(pin, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(g_settings.topMost, 1);
  // Wine 8 keeps the z-order but does not report WS_EX_TOPMOST, so the
  // button's look is what is checked here: the pinned bitmaps.
  EXPECT_EQ(PaintedBitmapSlot(kButtonTopMost), 2u);
  EXPECT_EQ(Close(), 0);
  ASSERT_EQ(StartEmpty(), 0);
  EXPECT_EQ(g_settings.topMost, 1);
  EXPECT_EQ(PaintedBitmapSlot(kButtonTopMost), 2u) << "pinned look after the restart";
  SendMessageW(g_buttons[kButtonTopMost]->window, WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(g_settings.topMost, 0);
  g_buttons[kButtonTopMost]->state = kStateHover;
  EXPECT_EQ(PaintedBitmapSlot(kButtonTopMost), 1u);
}

// Without a library: unknown ids do nothing, the strip copies an empty
// path, and reading mode says it needs a node (message 42) and changes
// nothing else.
TEST_F(Shell, WithoutALibraryCommandsRefuseQuietlyOrWithMessage42) {
  ASSERT_EQ(StartEmpty(), 0);
  for (int id : {0, 19, 96, 5000, 9913, 40000}) {
    EXPECT_FALSE(RunCommand(id)) << id;
    SendMessageW(g_mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
    SendMessageW(g_shell.strip, WM_COMMAND, static_cast<WPARAM>(id), 0);
  }
  EXPECT_TRUE(Boxes().empty());
  SendMessageW(g_shell.strip, WM_RBUTTONUP, 0, MAKELPARAM(500, 10));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  EXPECT_STREQ(data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"<none>", L"");
  if (data) GlobalUnlock(data);
  CloseClipboard();

  AnswerNextBox(IDOK);
  Activate();
  PressKeys({VK_CONTROL, VK_F8});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Please select a node (folder, book or file) !");
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_TRUE(Boxes()[0].owned);
  EXPECT_EQ(g_shell.readingStep, 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.tree));
}

// The clamps are StoredLayout.* and Snapping.* of layout_test; here the
// window takes the clamped values (language 0 reads the English menu),
// cannot shrink below 600 by 400, and the commands move it.
TEST_F(Shell, OutOfRangeSettingsSnappingAndMaximiseActOnTheRealWindow) {
  AppSettings s = DefaultSettings();
  s.windowX = s.windowY = -30000;
  s.windowWidth = s.windowHeight = -5;
  s.treeWidth = 10000, s.language = 0;
  WriteSettings(Path("lorewell.set"), s);
  ASSERT_EQ(StartEmpty(), 0);
  auto rect = [] {
    RECT r;
    GetWindowRect(g_mainWindow, &r);
    return r;
  };
  EXPECT_EQ(std::tuple(rect().left, rect().top, rect().right - rect().left), std::tuple(120, 120, 800));
  EXPECT_EQ(g_settings.treeWidth, 333);
  wchar_t label[32] = L"";
  GetMenuStringW(GetSubMenu(g_shell.menu, 1), 8807, label, 32, MF_BYCOMMAND);
  EXPECT_STREQ(label, L"Close this db");

  SetWindowPos(g_mainWindow, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  Pump(20);
  EXPECT_GE(rect().right - rect().left, 600);
  EXPECT_GE(rect().bottom - rect().top, 400);

  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RunCommand(kCmdSnapRight);
  EXPECT_EQ(std::pair(rect().left, rect().right), std::pair(work.left + 99, work.right));
  RunCommand(kCmdSnapLeft);
  EXPECT_EQ(std::pair(rect().left, rect().right), std::pair(work.left, work.right - 99));
  RunCommand(kCmdSnapFill);
  EXPECT_EQ(rect().bottom, work.bottom);
  RunCommand(kCmdMaximize);
  EXPECT_TRUE(IsZoomed(g_mainWindow));
  RunCommand(kCmdMaximize);
  EXPECT_FALSE(IsZoomed(g_mainWindow));

  SetFocus(g_shell.tree);
  RunCommand(kCmdFocusCycle);
  EXPECT_EQ(GetFocus(), g_shell.editor1);
  RunCommand(kCmdFocusCycle);
  EXPECT_EQ(GetFocus(), g_shell.tree);
}

TEST_F(Shell, MissingMidiOutputIsReportedAtStartAndTheStartGoesOn) {
  ASSERT_EQ(StartEmpty(), 0);
  if (MidiOutput()) {
    EXPECT_FALSE(MidiBox()) << "no box when the MIDI mapper opens";
    GTEST_SKIP() << "this system has a MIDI output";
  }
  ASSERT_TRUE(MidiBox()) << "no \"!midiOutOpen\" box although the MIDI mapper did not open";
  EXPECT_EQ(MidiBox()->caption, L" Lorewell 4.0.3");
  EXPECT_EQ(MidiBox()->type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(MidiBox()->owned);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(IsWindowVisible(g_mainWindow));
  EXPECT_EQ(Close(), 0);
}

TEST_F(Shell, EscMinimisesAndTheShiftEscHotKeyRestores) {
  ASSERT_EQ(StartEmpty(), 0);
  Activate();
  PressKeys({VK_ESCAPE});
  ASSERT_TRUE(PumpUntil([] { return IsIconic(g_mainWindow) != 0; }, 2000));
  // The hot key is global: it reaches the window while it is minimised and
  // not active.
  PressKeys({VK_SHIFT, VK_ESCAPE});
  EXPECT_TRUE(PumpUntil([] { return !IsIconic(g_mainWindow); }, 2000));
  EXPECT_TRUE(IsWindowVisible(g_mainWindow));
  EXPECT_EQ(GetForegroundWindow(), g_mainWindow);
  RECT r;
  GetWindowRect(g_mainWindow, &r);
  EXPECT_EQ(r.left, 120) << "restored at its place";
  EXPECT_EQ(r.right - r.left, 800);
}

std::vector<std::wstring> g_dropped;
void RecordDrop(const wchar_t* path) { g_dropped.push_back(path); }

POINT CentreOf(HWND child) {
  RECT r = ChildRect(child);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

TEST_F(Shell, DroppedFilesReachTheDropRoutineInOrderAndPickTheCurrentEditor) {
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(SelectFirstFile());  // so that the split view can open
  SetDropRoutine(RecordDrop);
  g_dropped.clear();
  const std::vector<std::wstring> paths = {Path("Fișier ăâ.txt"), L"C:\\pictures\\one.png",
                                           std::wstring(250, L'x') + L".rtf"};

  auto drop = [](HWND on, const std::vector<std::wstring>& files) {
    g_dropped.clear();
    PostMessageW(g_mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(CentreOf(on), files)), 0);
    Pump(50);
  };

  // Split view with pane 2 current; a drop on pane 1 makes pane 1 current.
  SendMessageW(g_mainWindow, WM_RBUTTONUP, 0, MAKELPARAM(g_settings.treeWidth + 2, 300));
  ASSERT_TRUE(g_shell.splitView);
  g_shell.currentEditor = g_shell.editor2;
  drop(g_shell.editor1, paths);
  EXPECT_EQ(g_dropped, paths);
  EXPECT_EQ(g_shell.currentEditor, g_shell.editor1);

  // Dropped on the tree while pane 2 has the focus: pane 2 becomes current.
  SetFocus(g_shell.editor2);
  g_shell.currentEditor = g_shell.editor1;
  drop(g_shell.tree, {paths[1]});
  EXPECT_EQ(g_dropped, std::vector<std::wstring>{paths[1]});
  EXPECT_EQ(g_shell.currentEditor, g_shell.editor2);

  // Dropped on the tree with the tree focused: the current editor stays.
  SetFocus(g_shell.tree);
  drop(g_shell.tree, {paths[0]});
  EXPECT_EQ(g_dropped, std::vector<std::wstring>{paths[0]});
  EXPECT_EQ(g_shell.currentEditor, g_shell.editor2);

  // While a worker runs the drop is ignored.
  WorkClaim worker = Store().ClaimWork();
  drop(g_shell.editor1, paths);
  worker.Release();
  EXPECT_TRUE(g_dropped.empty());
  EXPECT_EQ(g_shell.currentEditor, g_shell.editor2);
  EXPECT_TRUE(Boxes().empty());
  SetDropRoutine(nullptr);
}

void Click(int x, int y) {
  SetCursorPos(x, y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

HWND VisibleMenuWindow() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// The pop-up's modal loop runs on this thread, so a second thread clicks
// its items as a user would and notes what it sees after each click.
TEST_F(Shell, ShowHidePopupStaysOpenWhileSeveralButtonsAreToggled) {
  ASSERT_EQ(StartEmpty(), 0);
  Activate();
  struct Seen {
    bool menuOpen = false;
    bool checked = false;
    std::array<int32_t, kStripOptionalButtons> visible{};
    int showHideX = 0;
  };
  std::vector<Seen> seen;
  HMENU popup = GetSubMenu(g_shell.menu, 0);
  HWND showHide = g_buttons[kButtonShowHide]->window;
  const int items[] = {0, 6, 11};  // New off, Bold on, Right align on
  std::thread user([&] {
    for (int i = 0; i < 300 && !VisibleMenuWindow(); ++i) Sleep(10);
    if (VisibleMenuWindow()) {
      for (int item : items) {
        RECT r{};
        GetMenuItemRect(nullptr, popup, static_cast<UINT>(item), &r);
        Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Sleep(200);
        Seen s;
        s.menuOpen = VisibleMenuWindow() != nullptr;
        s.checked = (GetMenuState(popup, static_cast<UINT>(item), MF_BYPOSITION) & MF_CHECKED) != 0;
        std::copy(std::begin(g_settings.stripButtonVisible), std::end(g_settings.stripButtonVisible),
                  s.visible.begin());
        s.showHideX = ChildRect(showHide).left;
        seen.push_back(s);
      }
    }
    INPUT esc[2] = {};
    esc[0].type = esc[1].type = INPUT_KEYBOARD;
    esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
    esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, esc, sizeof(INPUT));
    for (int i = 0; i < 100 && VisibleMenuWindow(); ++i) Sleep(10);
    if (VisibleMenuWindow()) PostMessageW(g_shell.strip, WM_CANCELMODE, 0, 0);  // never hang the suite
  });
  SendMessageW(showHide, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(showHide, WM_LBUTTONUP, 0, 0);  // returns when the pop-up closes
  user.join();

  ASSERT_EQ(seen.size(), 3u) << "the pop-up did not open";
  // Six buttons shown at first; each click re-lays out the strip at once.
  const int expectedX[] = {20 + 22 * 5 + 22, 20 + 22 * 6 + 22, 20 + 22 * 7 + 22};
  const bool expectedChecked[] = {false, true, true};
  for (size_t k = 0; k < 3; ++k) {
    EXPECT_TRUE(seen[k].menuOpen) << "click " << k;
    EXPECT_EQ(seen[k].checked, expectedChecked[k]) << "click " << k;
    EXPECT_EQ(seen[k].visible[static_cast<size_t>(items[k])], expectedChecked[k] ? 1 : 0) << "click " << k;
    EXPECT_EQ(seen[k].showHideX, expectedX[k]) << "click " << k;
  }
  EXPECT_EQ(seen[2].visible, (std::array<int32_t, 12>{0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1}));
  EXPECT_FALSE(IsWindowVisible(g_buttons[kButtonNew]->window));
  EXPECT_TRUE(IsWindowVisible(g_buttons[kButtonBold]->window));
  EXPECT_FALSE(VisibleMenuWindow());
  // The choice is what the settings file keeps.
  EXPECT_EQ(Close(), 0);
  const AppSettings s = ReadSettingsFile(Path("lorewell.set"));
  EXPECT_EQ(s.stripButtonVisible[0], 0);
  EXPECT_EQ(s.stripButtonVisible[11], 1);
}

}  // namespace
}  // namespace lw::wintest
