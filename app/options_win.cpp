#include "app/options_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/language_win.h"
#include "app/msgbox_win.h"
#include "app/registry_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/find_win.h"
#include "music/midi.h"
#include "music/midi_win.h"

namespace lw {

namespace {

constexpr int kMsgAssociationsFailed = 103;
constexpr int kMsgStartupFailed = 104;
constexpr int kMsgLanguageItems = 111;
constexpr int kMsgInstrumentItems = 112;
constexpr int kMsgPinDialogs = 27;
// Posted by the language list: the list is refilled after its own
// notification has returned, never from inside it.
constexpr UINT kApplyLanguageMessage = WM_APP + 41;

struct ControlRow {
  const wchar_t* cls;
  DWORD style;
  int x, y, w, h;
  int id;
  int message;  // its text; 0 for none, -1 for "Ok"
};

constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
const ControlRow kControls[] = {
    {L"STATIC", SS_LEFT | SS_NOPREFIX, 14, 18, 160, 20, kOptionsLanguageLabelId, 105},
    {WC_COMBOBOXW, kList, 180, 15, 140, 120, kOptionsLanguageId, 0},
    {L"BUTTON", kCheck, 15, 48, 302, 15, kOptionsAssociateId, 106},
    {L"BUTTON", kCheck, 15, 73, 180, 15, kOptionsStartupId, 107},
    {L"BUTTON", kCheck, 15, 98, 130, 15, kOptionsStoreLibraryId, 108},
    {L"BUTTON", kCheck, 150, 98, 180, 15, kOptionsStorePasswordId, 109},
    {L"STATIC", SS_LEFT | SS_NOPREFIX, 14, 123, 145, 20, kOptionsInstrumentLabelId, 110},
    {WC_COMBOBOXW, kList, 160, 120, 160, 220, kOptionsInstrumentId, 0},
    {L"BUTTON", kCheck, 15, 148, 280, 15, kOptionsPinId, kMsgPinDialogs},
    {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 250, 264, 70, 23, kOptionsOkId, -1},
};

HWND Item(int id) { return GetDlgItem(g_shell.options, id); }
bool Checked(int id) { return IsDlgButtonChecked(g_shell.options, id) == BST_CHECKED; }
void Check(int id, bool on) { CheckDlgButton(g_shell.options, id, on ? BST_CHECKED : BST_UNCHECKED); }
int Selection(int id) { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }

// A list's items from message `n`, '|' between them; `selected` stays chosen.
void FillList(int id, int n, int selected) {
  HWND list = Item(id);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  const std::wstring items = LoadMessage(UiLanguage(), n);
  size_t start = 0;
  while (start <= items.size()) {
    size_t bar = items.find(L'|', start);
    if (bar == std::wstring::npos) bar = items.size();
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items.substr(start, bar - start).c_str()));
    start = bar + 1;
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int LanguageItem() { return g_settings.language == kLanguageRomanian ? 1 : 0; }
int InstrumentItem() {
  return g_settings.instrumentIndex >= 0 && g_settings.instrumentIndex < kInstrumentCount ? g_settings.instrumentIndex : 0;
}

// The choices as they are now: the registry's, then the settings'.
void ShowChoices() {
  Check(kOptionsAssociateId, AssociationsRegistered());
  Check(kOptionsStartupId, StartupRegistered());
  Check(kOptionsStoreLibraryId, g_settings.storeLastLibrary != 0);
  Check(kOptionsStorePasswordId, g_settings.storeLastPassword != 0);
  Check(kOptionsPinId, g_settings.pinDialogs != 0);
  SendMessageW(Item(kOptionsLanguageId), CB_SETCURSEL, static_cast<WPARAM>(LanguageItem()), 0);
  SendMessageW(Item(kOptionsInstrumentId), CB_SETCURSEL, static_cast<WPARAM>(InstrumentItem()), 0);
}

// A registry change: a refusal is said with the system's reason, and the
// box shows what the registry holds afterwards, whatever was clicked.
void ChangeRegistry(int box, long code, int failure_message, bool (*registered)()) {
  if (code != 0)
    ShowLocalMessage(g_shell.options, UiLanguage(), failure_message, MB_ICONERROR, ToWide(Win32ErrorText(code)));
  Check(box, registered());
}

void ChooseInstrument(int index) {
  if (index < 0 || index >= kInstrumentCount) return;
  g_settings.instrumentIndex = index;
  SelectInstrument(index);
}

void OnClick(int id) {
  const int32_t on = Checked(id) ? 1 : 0;
  switch (id) {
    case kOptionsAssociateId:
      ChangeRegistry(id, SetAssociations(on != 0), kMsgAssociationsFailed, AssociationsRegistered);
      break;
    case kOptionsStartupId: ChangeRegistry(id, SetStartup(on != 0), kMsgStartupFailed, StartupRegistered); break;
    case kOptionsStoreLibraryId: g_settings.storeLastLibrary = on; break;
    case kOptionsStorePasswordId: g_settings.storeLastPassword = on; break;
    case kOptionsPinId: g_settings.pinDialogs = on; break;
    case kOptionsOkId: HideOptions(); break;
  }
}

LRESULT OnCommand(HWND hwnd, WPARAM wp, LPARAM) {
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == kOptionsLanguageId && code == CBN_SELCHANGE)
    PostMessageW(hwnd, kApplyLanguageMessage, Selection(id) == 1 ? kLanguageRomanian : kLanguageEnglish, 0);
  else if (id == kOptionsInstrumentId && code == CBN_SELCHANGE) ChooseInstrument(Selection(id));
  else if (code == BN_CLICKED) OnClick(id);
  return 0;
}

LRESULT OnApplyLanguage(HWND, WPARAM wp, LPARAM) {
  if (static_cast<int>(wp) != UiLanguage()) ApplyLanguage(static_cast<int>(wp));
  return 0;
}

// White inside a 1-pixel frame of the class's black background.
LRESULT OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  InflateRect(&rc, -1, -1);
  FillRect(dc, &rc, g_shell.whiteBrush);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT OnControlColour(HWND, WPARAM wp, LPARAM) {
  SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
  return reinterpret_cast<LRESULT>(g_shell.whiteBrush);
}

// The panel has no caption: its free surface moves the main window, which
// the overlay and the panel then follow.
LRESULT OnLeftButtonDown(HWND, WPARAM, LPARAM) {
  ReleaseCapture();
  SendMessageW(g_mainWindow, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
  return 0;
}

// Only Ok and Esc close the panel.
LRESULT OnClose(HWND, WPARAM, LPARAM) { return 0; }

using Handler = LRESULT (*)(HWND, WPARAM, LPARAM);
struct HandlerRow {
  UINT message;
  Handler handler;
};
const HandlerRow kHandlers[] = {
    {WM_COMMAND, OnCommand},         {kApplyLanguageMessage, OnApplyLanguage},
    {WM_PAINT, OnPaint},             {WM_CTLCOLORSTATIC, OnControlColour},
    {WM_LBUTTONDOWN, OnLeftButtonDown}, {WM_CLOSE, OnClose},
};

LRESULT CALLBACK OptionsProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  for (const HandlerRow& row : kHandlers)
    if (row.message == msg) return row.handler(hwnd, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void CreateOptionsPanel() {
  HWND panel = g_shell.options;
  if (!panel) return;
  SetWindowLongPtrW(panel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OptionsProc));
  const WPARAM font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlRow& c : kControls) {
    HWND control = CreateWindowExW(0, c.cls, L"", WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.w, c.h, panel,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), g_instance, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, font, FALSE);
  }
  RefreshOptionsLanguage();
}

void RefreshOptionsLanguage() {
  if (!g_shell.options) return;
  for (const ControlRow& c : kControls) {
    if (c.message == 0) continue;
    const std::wstring text = c.message < 0 ? std::wstring(L"Ok") : LoadMessage(UiLanguage(), c.message);
    SetWindowTextW(Item(c.id), text.c_str());
  }
  FillList(kOptionsLanguageId, kMsgLanguageItems, LanguageItem());
  FillList(kOptionsInstrumentId, kMsgInstrumentItems, InstrumentItem());
}

void PlaceOptions() {
  if (!g_shell.options || !IsWindowVisible(g_shell.options)) return;
  RECT main;
  GetWindowRect(g_mainWindow, &main);
  const int width = main.right - main.left, height = main.bottom - main.top;
  SetWindowPos(g_shell.overlay, nullptr, main.left + 1, main.top + 1, width - 2, height - 2,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(g_shell.options, nullptr, main.left + (width - kOptionsWidth) / 2,
               main.top + (height - kOptionsHeight) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowOptions(int) {
  if (!g_shell.options || !g_shell.overlay) return;
  if (HWND find = FindWindowHandle()) ShowWindow(find, SW_HIDE);
  if (g_shell.readingStep != 0) SetReadingMode(false);
  ShowChoices();
  ShowWindow(g_shell.overlay, SW_SHOWNOACTIVATE);
  ShowWindow(g_shell.options, SW_SHOW);
  PlaceOptions();
  SetFocus(Item(kOptionsOkId));
}

void HideOptions() {
  ShowWindow(g_shell.options, SW_HIDE);
  ShowWindow(g_shell.overlay, SW_HIDE);
  if (g_mainWindow) SetActiveWindow(g_mainWindow);
}

}  // namespace lw
