#include "music/palette_win.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <richedit.h>

#include <string>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "music/midi_win.h"
#include "music/notes.h"
#include "store/library_win.h"

namespace lw {

namespace {

constexpr int kPaletteDialog = 4300;
constexpr int kFirstNote = 15951, kPageBack = 16001, kPageForward = 16002;
constexpr int kMsgStreamError = 26, kMsgNoNode = 42, kMsgNoFont = 66;

struct Palette {
  HWND window = nullptr;
  HWND tips = nullptr;
  HFONT font = nullptr;
  int page = 0;  // 0 to 3
  NotePlayer player;
  MidiSink sink;
};
Palette g_palette;

bool Romanian() { return UiLanguage() == kLanguageRomanian; }
bool Down(int key) { return (GetKeyState(key) & 0x8000) != 0; }

void Send(const NoteActions& actions, UINT_PTR timer) {
  if (actions.kill_timer) KillTimer(g_mainWindow, timer);
  for (std::uint32_t message : actions.messages) {
    if (g_palette.sink) g_palette.sink(message);
    else if (MidiOutput()) midiOutShortMsg(MidiOutput(), message);
  }
  if (actions.timer_ms) SetTimer(g_mainWindow, timer, static_cast<UINT>(*actions.timer_ms), nullptr);
}

// The tooltips of the page's C and D buttons, in the language in force.
void SetTips() {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  while (SendMessageW(g_palette.tips, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) {
    SendMessageW(g_palette.tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  for (int position = 1; position <= kNotesPerPage; ++position) {
    std::wstring tip = ToWide(NoteTip(g_palette.page, position, Romanian()));
    if (tip.empty()) continue;
    TTTOOLINFOW t{};
    t.cbSize = sizeof t;
    t.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    t.hwnd = g_palette.window;
    t.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(g_palette.window, kFirstNote + position - 1));
    t.lpszText = tip.data();
    SendMessageW(g_palette.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&t));
  }
}

void ShowPage(int page) {
  g_palette.page = page;
  HWND w = g_palette.window;
  SetWindowTextW(w, ToWide(NotePaletteTitle(page, Romanian())).c_str());
  EnableWindow(GetDlgItem(w, kPageBack), page > 0);
  EnableWindow(GetDlgItem(w, kPageForward), page < kNotePages - 1);
  for (int position = 1; position <= kNotesPerPage; ++position) {
    const wchar_t glyph[2] = {static_cast<wchar_t>(NoteGlyph(page * kNotesPerPage + position - 1)), 0};
    SetDlgItemTextW(w, kFirstNote + position - 1, glyph);
  }
  SetTips();
}

void InsertNote(int index, bool shift) {
  HWND pane = g_shell.currentEditor;
  if (!pane || !ActivePageEditable()) {
    MessageBeep(MB_ICONWARNING);  // a read-only page takes no notes
    return;
  }
  DWORD error = 0;
  {
    ProgramChange ours;
    error = StreamInBytes(pane, NoteSnippet(NoteGlyph(index), shift), SF_RTF | SFF_SELECTION);
  }
  NotePageChanged(pane);
  if (error) {
    ShowMessage(g_mainWindow, WithNumbers(LoadMessage(UiLanguage(), kMsgStreamError), {static_cast<long>(error)}),
                MB_ICONERROR);
  }
}

void OnNote(int position) {
  const bool shift = Down(VK_SHIFT);
  const int index = g_palette.page * kNotesPerPage + position - 1;
  if (Down(VK_MENU)) {
    Send(g_palette.player.Timed(index, shift), kNoteTimer);
  } else if (Down(VK_TAB)) {
    Send(g_palette.player.Held(index), kHeldNoteTimer);
  } else if (Down(VK_CONTROL)) {
    HWND pane = g_shell.currentEditor;
    ProgramChange ours;
    for (int i = 0; i < (shift ? 2 : 1); ++i) SendMessageW(pane, EM_UNDO, 0, 0);
  } else {
    InsertNote(index, shift);
  }
}

INT_PTR CALLBACK PaletteProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wp);
  if (id >= kFirstNote && id < kFirstNote + kNotesPerPage) OnNote(id - kFirstNote + 1);
  else if (id == kPageBack && g_palette.page > 0) ShowPage(g_palette.page - 1);
  else if (id == kPageForward && g_palette.page < kNotePages - 1) ShowPage(g_palette.page + 1);
  else if (id == IDCANCEL) ShowWindow(hwnd, SW_HIDE);
  else return FALSE;
  return TRUE;
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // the first family is enough
}

// Looked for on every opening, so a font installed meanwhile counts.
bool MusicFontInstalled() {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, ToWide(kMusicFontFace).c_str(), LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// At the main window's left edge, 99 pixels above its bottom.
void PlacePalette(UINT show) {
  RECT main;
  GetWindowRect(g_mainWindow, &main);
  SetWindowPos(g_palette.window, HWND_NOTOPMOST, main.left, main.bottom - 99, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | show);
}

}  // namespace

void CreateNotesPalette(HWND owner) {
  g_palette.window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kPaletteDialog), owner,
                                        PaletteProc, 0);
  if (!g_palette.window) return;
  g_palette.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                   g_palette.window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(g_palette.tips, TTM_SETMAXTIPWIDTH, 0, 333);
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(44, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  g_palette.font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, ToWide(kMusicFontFace).c_str());
  for (int i = 0; i < kNotesPerPage; ++i) {
    SendDlgItemMessageW(g_palette.window, kFirstNote + i, WM_SETFONT, reinterpret_cast<WPARAM>(g_palette.font), 0);
  }
  g_palette.player = NotePlayer();
  ShowPage(0);
}

void DestroyNotesPalette() {
  if (g_palette.window) {
    Send(g_palette.player.AllOff(), kNoteTimer);
    DestroyWindow(g_palette.window);
  }
  if (g_palette.font) DeleteObject(g_palette.font);
  g_palette.window = nullptr;
  g_palette.tips = nullptr;
  g_palette.font = nullptr;
}

HWND NotesPaletteWindow() { return g_palette.window; }

void RefreshNotesPaletteLanguage() {
  if (g_palette.window) ShowPage(g_palette.page);
}

void NotesPaletteRoutine(int) {
  if (!g_palette.window) return;
  if (Model().selected_id() == 0) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgNoNode, MB_ICONINFORMATION);
    return;
  }
  if (!MusicFontInstalled()) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgNoFont, MB_ICONINFORMATION);
    return;
  }
  if (IsWindowVisible(g_palette.window)) {
    SetActiveWindow(g_palette.window);
    return;
  }
  PlacePalette(SWP_SHOWWINDOW);
}

void PinNotesPalette() {
  if (g_settings.pinDialogs && g_palette.window && IsWindowVisible(g_palette.window)) PlacePalette(0);
}

void NoteOff(int timer) {
  Send(timer == static_cast<int>(kNoteTimer) ? g_palette.player.TimedEnd() : g_palette.player.HeldEnd(),
       static_cast<UINT_PTR>(timer));
}

void SetMidiSinkForTest(MidiSink sink) { g_palette.sink = std::move(sink); }

}  // namespace lw
