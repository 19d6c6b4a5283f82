#include "music/player_win.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <mutex>
#include <optional>
#include <vector>

#include "app/app_win.h"
#include "app/commands.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "music/clips.h"
#include "res/resource.h"
#include "store/library_win.h"

namespace lw {

namespace {

constexpr int kMsgNotFound = 58, kMsgClipsMenu = 64, kMsgButtonLabels = 101;
constexpr int kSliderId = 999, kFirstButtonId = 8880, kButtonCount = 4;
enum Button { kRepeat, kPlay, kPause, kStop };
enum State { kNormal, kHover, kOn, kInForce };
const FOURCC kClipProcedure = mmioFOURCC('M', 'E', 'Y', ' ');
// The submenu stays below the tree menu's ids: one item less than the
// room, the last one telling how many more clips there are.
constexpr int kMenuRoom = kCmdNodeCut - kCmdAttachmentFirst;

struct Player {
  std::mutex stream_lock;  // the device reads on a thread of its own
  ClipStream stream;
  long length = 0;
  std::optional<Jump> jump;
  int states[kButtonCount] = {};
  HWND slider = nullptr;
  HWND tips = nullptr;  // the bar's own: the slider's and the buttons'
  HWND buttons[kButtonCount] = {};
  HIMAGELIST images[3] = {};
  HMENU clip_menu = nullptr;
  std::vector<std::u16string> menu_names;
  MciSender sender;
};
Player g_player;

int Say(int n, UINT type, const std::wstring& arg = std::wstring()) {
  return ShowLocalMessage(g_mainWindow, UiLanguage(), n, type, arg);
}

MCIERROR Mci(const std::wstring& command, std::wstring* reply = nullptr) {
  if (g_player.sender) return g_player.sender(command, reply);
  wchar_t text[128] = L"";
  const bool notify = command.find(L" notify") != std::wstring::npos;
  const MCIERROR error = mciSendStringW(command.c_str(), text, 128, notify ? g_shell.player : nullptr);
  if (reply) *reply = text;
  return error;
}

// The file procedure of "MEY " files: whatever name the device opens, it
// reads the clip in play from memory.
LRESULT CALLBACK ClipFileProcedure(LPSTR info, UINT msg, LPARAM a, LPARAM b) {
  auto* mmio = reinterpret_cast<MMIOINFO*>(info);
  std::lock_guard<std::mutex> lock(g_player.stream_lock);
  ClipStream& s = g_player.stream;
  LRESULT result = -1;
  switch (msg) {
    case MMIOM_OPEN: s.Open(); result = 0; break;
    case MMIOM_READ: result = s.Read(reinterpret_cast<char*>(a), static_cast<long>(b)); break;
    case MMIOM_SEEK: {
      const ClipStream::Origin origin = b == SEEK_CUR ? ClipStream::Origin::kCurrent
                                        : b == SEEK_END ? ClipStream::Origin::kEnd
                                                        : ClipStream::Origin::kBegin;
      result = s.Seek(static_cast<long>(a), origin);
      break;
    }
    case MMIOM_CLOSE: s.Close(); result = 0; break;
    default: return -1;  // writing included
  }
  if (mmio) mmio->lDiskOffset = s.position();
  return result;
}

void Repaint() {
  for (HWND b : g_player.buttons) InvalidateRect(b, nullptr, FALSE);
}

bool RepeatOn() { return g_settings.playerRepeat != 0; }

void SetStates(int play, int pause) {
  g_player.states[kPlay] = play;
  g_player.states[kPause] = pause;
  g_player.states[kStop] = kNormal;
  g_player.states[kRepeat] = RepeatOn() ? kOn : kNormal;
  Repaint();
}

// Every device closed and the clip let go; the bar stays as it is.
void CloseDevices() {
  Mci(L"close all");
  {
    std::lock_guard<std::mutex> lock(g_player.stream_lock);
    g_player.stream.Close();
  }
  g_player.jump.reset();
  KillTimer(g_mainWindow, kPlayerTimer);
}

void ShowBar(const std::u16string& name) {
  SendMessageW(g_player.slider, TBM_SETPOS, TRUE, 0);
  MovePlayer();
  ShowWindow(g_shell.player, SW_SHOWNOACTIVATE);
  TTTOOLINFOW tip{};
  tip.cbSize = sizeof tip;
  tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tip.hwnd = g_shell.player;
  tip.uId = reinterpret_cast<UINT_PTR>(g_player.slider);
  std::wstring text = ToWide(name) + L" (LClick / RClick)";
  tip.lpszText = text.data();
  SendMessageW(g_player.tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
  SendMessageW(g_player.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
}

// The end of the clip, or the device's failure.
void OnNotify(WPARAM flags) {
  if (flags == MCI_NOTIFY_SUCCESSFUL) {
    if (RepeatOn()) {
      Mci(L"seek sunet to 0");
      Mci(L"play sunet notify");
      SetTimer(g_mainWindow, kPlayerTimer, 111, nullptr);
      return;
    }
    StopClip();
  } else if (flags == MCI_NOTIFY_FAILURE) {
    ShowMessage(g_mainWindow, L"!play", MB_ICONERROR);
    StopClip();
  }
}

// The slider: a left click jumps about ten seconds back, a right click
// forward, at the next tick.
LRESULT CALLBACK SliderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if ((msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) && g_player.states[kPlay] != kNormal) {
    g_player.jump = msg == WM_LBUTTONDOWN ? Jump::kBack : Jump::kForward;
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void Click(int index) {
  switch (index) {
    case kRepeat:
      g_settings.playerRepeat = !RepeatOn();
      g_player.states[kRepeat] = RepeatOn() ? kOn : kNormal;
      break;
    case kPlay:
      Mci(L"resume all");
      SetTimer(g_mainWindow, kPlayerTimer, 111, nullptr);
      SetStates(kInForce, kNormal);
      break;
    case kPause:
      Mci(L"pause all");
      KillTimer(g_mainWindow, kPlayerTimer);
      SetStates(kNormal, kInForce);
      break;
    default: StopClip();
  }
}

// The buttons' tooltips in the language in force.
void SetButtonTips() {
  const std::wstring labels = LoadMessage(UiLanguage(), kMsgButtonLabels);
  size_t start = 0;
  for (HWND button : g_player.buttons) {
    const size_t bar = labels.find(L'|', start);
    std::wstring label = labels.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
    start = bar == std::wstring::npos ? labels.size() : bar + 1;
    TTTOOLINFOW tip{};
    tip.cbSize = sizeof tip;
    tip.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tip.hwnd = g_shell.player;
    tip.uId = reinterpret_cast<UINT_PTR>(button);
    tip.lpszText = label.data();
    SendMessageW(g_player.tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
    SendMessageW(g_player.tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tip));
  }
}

void PaintButton(HWND hwnd, int index) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  FillRect(dc, &ps.rcPaint, g_shell.windowBrush);
  const int state = g_player.states[index];
  HIMAGELIST list = g_player.images[state == kInForce ? 0 : state];
  if (list) ImageList_Draw(list, index, dc, 0, 0, state == kInForce ? ILD_BLEND50 : ILD_NORMAL);
  EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT CALLBACK PlayerButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const int index = GetDlgCtrlID(hwnd) - kFirstButtonId;
  if (index < 0 || index >= kButtonCount) return DefWindowProcW(hwnd, msg, wp, lp);
  int& state = g_player.states[index];
  switch (msg) {
    case WM_PAINT: PaintButton(hwnd, index); return 0;
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
      TrackMouseEvent(&track);
      if (state != kInForce && !(index == kRepeat && RepeatOn()) && state != kHover) {
        state = kHover;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (state != kInForce) state = kOn, InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_MOUSELEAVE:
      if (state != kInForce) state = index == kRepeat && RepeatOn() ? kOn : kNormal;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
      if (Store().busy() || state == kInForce) return 0;
      Click(index);
      Repaint();
      return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK PlayerBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: return 0;
    case MM_MCINOTIFY: OnNotify(wp); return 0;
    case WM_SETFOCUS: SetForegroundWindow(g_mainWindow); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(dc, &rc, g_shell.windowBrush);
      HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
      const POINT frame[4] = {{0, 0}, {0, rc.bottom - 1}, {rc.right - 1, rc.bottom - 1}, {rc.right - 1, -1}};
      Polyline(dc, frame, 4);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

void CreatePlayerBar(HWND bar) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  SetWindowPos(bar, nullptr, 0, 0, 230, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  g_player.slider = CreateWindowExW(0, TRACKBAR_CLASSW, L"", WS_CHILD | WS_VISIBLE | TBS_NOTICKS, 2, 2, 140, 20,
                                    bar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSliderId)), instance, nullptr);
  SendMessageW(g_player.slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
  SetWindowSubclass(g_player.slider, SliderProc, 1, 0);
  for (int i = 0; i < kButtonCount; ++i) {
    g_player.buttons[i] = CreateWindowExW(0, L"bplay", L"", WS_CHILD | WS_VISIBLE, 142 + 22 * i, 2, 20, 20, bar,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)),
                                          instance, nullptr);
  }
  const int bitmaps[3] = {IDB_PLAYER_NORMAL, IDB_PLAYER_HOVER, IDB_PLAYER_PRESSED};
  for (int i = 0; i < 3; ++i) {
    // The art is drawn on magenta, the colour the lists leave out.
    g_player.images[i] = ImageList_LoadImageW(instance, MAKEINTRESOURCEW(bitmaps[i]), 20, 0, RGB(255, 0, 255),
                                              IMAGE_BITMAP, LR_CREATEDIBSECTION);
  }
  g_player.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  bar, nullptr, instance, nullptr);
  SetButtonTips();
  mmioInstallIOProcW(kClipProcedure, ClipFileProcedure, MMIO_INSTALLPROC | MMIO_GLOBALPROC);
}

void RefreshPlayerLanguage() {
  if (g_player.tips) SetButtonTips();
}

void EndPlayer() {
  CloseDevices();
  mmioInstallIOProcW(kClipProcedure, nullptr, MMIO_REMOVEPROC);
  for (HIMAGELIST& list : g_player.images) {
    if (list) ImageList_Destroy(list);
    list = nullptr;
  }
}

// --- The submenu -----------------------------------------------------------------

void FillClipMenu(HMENU app_menu) {
  if (!g_player.clip_menu) g_player.clip_menu = CreatePopupMenu();
  HMENU menu = g_player.clip_menu;
  if (GetSubMenu(app_menu, 1) != menu) {
    InsertMenuW(app_menu, 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(menu),
                LoadMessage(UiLanguage(), kMsgClipsMenu).c_str());
  }
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  g_player.menu_names.clear();
  std::vector<std::u16string> names;
  if (Store().library_open() && !Store().busy()) names = ListClips(Store().db()).value_or(names);
  const size_t shown = std::min<size_t>(names.size(), kMenuRoom - 1);
  for (size_t i = 0; i < shown; ++i) {
    AppendMenuW(menu, MF_STRING, kCmdAttachmentFirst + i, ToWide(names[i]).c_str());
  }
  if (names.size() > shown) {
    const std::wstring more = L"\u2026 +" + std::to_wstring(names.size() - shown);
    AppendMenuW(menu, MF_STRING | MF_GRAYED, kCmdAttachmentFirst + shown, more.c_str());
  }
  names.resize(shown);
  g_player.menu_names = std::move(names);
}

std::u16string MenuClipName(int id) {
  const int index = id - kCmdAttachmentFirst;
  if (index < 0 || index >= static_cast<int>(g_player.menu_names.size())) return {};
  return g_player.menu_names[static_cast<size_t>(index)];
}

// --- Playing ---------------------------------------------------------------------

void PlayClip(const std::u16string& asked) {
  const std::optional<std::vector<std::u16string>> names =
      Store().library_open() ? ListClips(Store().db()) : std::nullopt;
  const std::optional<std::u16string> name = names ? ResolveClipName(*names, asked) : std::nullopt;
  if (!name) {
    Say(kMsgNotFound, MB_ICONINFORMATION);
    return;
  }
  CloseDevices();
  std::optional<std::string> bytes = ReadClip(Store().db(), *name);
  if (!bytes) return;
  {
    std::lock_guard<std::mutex> lock(g_player.stream_lock);
    g_player.stream.Load(std::move(*bytes));
  }
  // Only a name ending in ".wav" or ".WAV" opens the device; any other
  // shows the bar and plays nothing until Stop.
  const bool wav = HasWavExtension(*name);
  if (wav) Mci(L"open .MEY+ type waveaudio alias sunet");
  if (Mci(L"play sunet notify") != 0 && wav) {
    ShowMessage(g_mainWindow, L"!play", MB_ICONERROR);
    CloseDevices();
    return;
  }
  ShowBar(*name);
  std::wstring length;
  Mci(L"status sunet length", &length);
  g_player.length = _wtol(length.c_str());
  SetTimer(g_mainWindow, kPlayerTimer, 111, nullptr);
  SetStates(kInForce, kNormal);
}

void StopClip() {
  CloseDevices();
  if (g_shell.player) ShowWindow(g_shell.player, SW_HIDE);
}

void PlayerTick() {
  std::wstring reply;
  if (Mci(L"status sunet position", &reply) != 0) return;
  const long position = _wtol(reply.c_str());
  if (!g_player.jump) {
    SendMessageW(g_player.slider, TBM_SETPOS, TRUE, SliderPosition(position, g_player.length));
    return;
  }
  const long target = JumpTarget(*g_player.jump, position, g_player.length);
  g_player.jump.reset();
  Mci(L"seek sunet to " + std::to_wstring(target));
  Mci(L"play sunet notify");
}

void SetMciSenderForTest(MciSender sender) { g_player.sender = std::move(sender); }

}  // namespace lw
