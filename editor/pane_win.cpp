// The page panes: loading, saving, the change handler, the split view.
#include "editor/pane_win.h"

#include <richedit.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/ole_callback_win.h"
#include "editor/page_size.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/page_text.h"

namespace lw {

namespace {

constexpr COLORREF kReadOnlyBackground = RGB(245, 255, 255);
constexpr COLORREF kTextColour = RGB(60, 60, 60);
constexpr UINT_PTR kMirrorTimer = 6;
constexpr UINT kMirrorDelay = 120;  // ms: the other pane follows typing, not each key
constexpr wchar_t kSchemes[] = L"http:https:ftp:skype:copy:play:stop:file:fold:goto:lor:nod:dex:wiki:";
constexpr LONG kEventMask =
    ENM_CHANGE | ENM_DRAGDROPDONE | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE | ENM_DROPFILES | ENM_LINK;

struct Pane {
  Pane(HWND* s, int id) : slot(s), child_id(id) {}
  HWND* slot;
  int child_id;
  bool shows_node = false;  // a node's page, not the report or an empty pane
  int loaded_id = 0;        // the node whose page was loaded, and its row
  std::optional<std::int64_t> loaded_rowid;
  std::wstring title;
  bool modified = false;
  bool read_only = true;
  bool failure_told = false;  // the automatic save told the user already
  bool music = false;         // the page uses the music font somewhere
  PageSizeGuard guard;
};

Pane g_panes[2] = {Pane{&g_shell.editor1, kEditor1Id}, Pane{&g_shell.editor2, kEditor2Id}};
bool g_typing = true;
bool g_copyingMirror = false;     // the other pane is being refilled: its changes are ours
HWND g_mirrorSource = nullptr;    // the pane whose change waits to be mirrored

Pane& Primary() { return g_panes[0]; }
Pane& Secondary() { return g_panes[1]; }
Pane& Other(const Pane& p) { return &p == &g_panes[0] ? g_panes[1] : g_panes[0]; }

Pane* PaneOf(HWND hwnd) {
  for (Pane& p : g_panes)
    if (hwnd && *p.slot == hwnd) return &p;
  return nullptr;
}

// The node a pane shows is the model's: the selection for the primary pane,
// the second-pane node for the other. Renumbering a node (a favourite mark)
// changes it there, and the page then goes to the right row.
int NodeOf(const Pane& p) {
  if (!p.shows_node) return 0;
  return &p == &g_panes[0] ? Model().selected_id() : Model().second_pane_id();
}

bool Mirroring() {
  const int id = NodeOf(Primary());
  return g_shell.splitView && id != 0 && id == NodeOf(Secondary());
}

bool EndsWithBacktick(const std::wstring& title) { return !title.empty() && title.back() == L'`'; }

std::int64_t PageLimit() {
  return Store().library_open() ? PageByteLimit(Store()) : PageSizeGuard(0).limit();
}

// --- Streams ----------------------------------------------------------------------

bool StreamIn(HWND ed, std::string_view bytes, WPARAM format) { return StreamInBytes(ed, bytes, format) == 0; }

// Stored bytes into an empty control as what they are: RTF as 8-bit RTF,
// other bytes as text in UTF-8 or the system's code page. RTF the control
// cannot read is shown as its text rather than as nothing. False when the
// page is shown as its text only: it must stay read-only, or an edit would
// store that text over the formatted page.
bool Fill(HWND ed, std::string_view bytes) {
  if (bytes.empty()) return true;
  switch (KindOfPageBytes(bytes)) {
    case PageBytes::kRtf:
      if (StreamIn(ed, bytes, SF_RTF) && PaneTextLength(ed) > 0) return true;
      SetWindowTextW(ed, L"");
      StreamInConverted(ed, bytes, CP_ACP, 0);
      return true;
    case PageBytes::kDeepRtf: {
      const std::wstring text = ToWide(RtfToText(bytes));
      StreamIn(ed, {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)},
               SF_TEXT | SF_UNICODE);
      return false;
    }
    case PageBytes::kUtf8: StreamInConverted(ed, bytes, CP_UTF8, 0); return true;
    case PageBytes::kAnsi: StreamInConverted(ed, bytes, CP_ACP, 0); return true;
  }
  return true;
}

// --- Controls ---------------------------------------------------------------------

void SetDefaultFormat(HWND ed) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
              CFM_HIDDEN | CFM_SUBSCRIPT | CFM_SUPERSCRIPT | CFM_BACKCOLOR;
  cf.dwEffects = CFE_AUTOBACKCOLOR;
  cf.yHeight = 200;
  cf.crTextColor = kTextColour;
  lstrcpynW(cf.szFaceName, DefaultFaceName(), LF_FACESIZE);
  SendMessageW(ed, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
  SendMessageW(ed, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
}

// A pane's control, set up as every pane is, at `where` in the main window.
HWND NewPaneControl(int child_id, const RECT& where) {
  HWND ed = CreateWindowExW(WS_EX_STATICEDGE, MSFTEDIT_CLASS, L"",
                            WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_NOHIDESEL | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL | ES_MULTILINE,
                            where.left, where.top, where.right - where.left, where.bottom - where.top,
                            g_mainWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(child_id)),
                            g_instance, nullptr);
  if (!ed) return nullptr;
  const LPARAM styles = SES_MULTISELECT | SES_HIDEGRIDLINES | SES_BEEPONMAXTEXT;
  SendMessageW(ed, EM_SETEDITSTYLE, styles, styles);
  SendMessageW(ed, EM_SETTARGETDEVICE, 0, g_settings.wordWrap ? 0 : 1);
  SendMessageW(ed, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(10, 0));
  const WPARAM url = AURL_ENABLEURL | AURL_ENABLEEMAILADDR | AURL_ENABLEEAURLS;
  // Controls older than the scheme list refuse it; they still find web links.
  if (SendMessageW(ed, EM_AUTOURLDETECT, url, reinterpret_cast<LPARAM>(kSchemes)) != 0)
    SendMessageW(ed, EM_AUTOURLDETECT, AURL_ENABLEURL, 0);
  SendMessageW(ed, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(std::min<std::int64_t>(PageLimit(), INT_MAX)));
  SetDefaultFormat(ed);
  AttachOleCallback(ed);  // every fresh control: pages are shown by new controls
  return ed;
}

RECT PlaceOf(HWND ed) {
  RECT rc{};
  GetWindowRect(ed, &rc);
  MapWindowPoints(nullptr, g_mainWindow, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// `fresh` takes the place of the pane's control. Emptying a control costs
// time that grows with the square of its text (seconds for a megabyte under
// Wine); destroying it does not.
void Install(Pane& p, HWND fresh) {
  HWND old = *p.slot;
  const bool focused = old && GetFocus() == old;
  WPARAM num = 0;
  LPARAM den = 0;
  if (old) SendMessageW(old, EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
  if (num > 0 && den > 0) SendMessageW(fresh, EM_SETZOOM, num, den);
  SendMessageW(fresh, EM_SETEVENTMASK, 0, kEventMask);
  *p.slot = fresh;
  if (g_shell.currentEditor == old) g_shell.currentEditor = fresh;
  SetWindowPos(fresh, old ? old : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (focused) SetFocus(fresh);
  if (old) DestroyWindow(old);
  if (g_shell.readingStep != 0 && g_shell.currentEditor == fresh) SetReadingBackground(true);
}

HWND FreshControlFor(const Pane& p) {
  HWND fresh = NewPaneControl(p.child_id, *p.slot ? PlaceOf(*p.slot) : RECT{});
  if (!fresh) ShowMessage(g_mainWindow, ToWide(Win32ErrorText(GetLastError())), MB_ICONERROR);
  return fresh;
}

void SetPageReadOnly(Pane& p, bool read_only) {
  p.read_only = read_only;
  HWND ed = *p.slot;
  const bool reading = g_shell.readingStep != 0 && ed == g_shell.currentEditor;
  if (!reading) SendMessageW(ed, EM_SETBKGNDCOLOR, 0, read_only ? kReadOnlyBackground : kPageBackground);
  SendMessageW(ed, EM_SETREADONLY, read_only, 0);
}

void Remeasure(Pane& p, std::int64_t rtf_bytes) {
  p.guard.set_limit(PageLimit());
  p.guard.Measured(rtf_bytes, PaneTextLength(*p.slot), PaneObjectCount(*p.slot));
}

bool AnyModified() { return Primary().modified || (g_shell.splitView && Secondary().modified); }

// --- Load -------------------------------------------------------------------------

// Node `id`'s page (or nothing, id 0) into pane `p`. A page that cannot be
// read leaves the pane empty and read-only, so nothing is ever saved over it.
void Load(Pane& p, int id) {
  std::optional<StoredPage> page;
  if (id != 0 && Store().library_open()) page = ReadPage(Store(), Model(), id);
  HWND fresh = FreshControlFor(p);
  if (!fresh) return;
  const bool editable = !page || Fill(fresh, page->rtf);
  p.music = page && UsesMusicFont(page->rtf);
  p.shows_node = page.has_value();
  p.loaded_id = page ? id : 0;
  p.loaded_rowid = page ? Model().index().RowidOf(id) : std::nullopt;
  p.title = page ? ToWide(page->title) : std::wstring();
  p.modified = false;
  p.failure_told = false;
  Install(p, fresh);
  Remeasure(p, page && KindOfPageBytes(page->rtf) == PageBytes::kRtf ? static_cast<std::int64_t>(page->rtf.size())
                                                                      : MeasureRtfSize(fresh));
  SetPageReadOnly(p, !p.shows_node || !editable || EndsWithBacktick(p.title));
  if (!AnyModified()) KillTimer(g_mainWindow, kSaveTimer);
  if (&p == &Primary() && g_shell.currentEditor == fresh) SetButtonState(kButtonFind, kStateNormal);
}

// --- Save -------------------------------------------------------------------------

std::wstring PageName(const Pane& p) { return p.title.empty() ? std::wstring(L"?") : p.title; }

// The node whose row receives the pane's text: the node loaded into it, or,
// when that id is gone because the node was renumbered, the pane's node now
// if it stands on the same row. 0 when neither holds: the text is not
// written anywhere else.
int SaveTarget(const Pane& p) {
  if (Model().ItemOf(p.loaded_id)) return p.loaded_id;
  const int now = NodeOf(p);
  if (now != 0 && p.loaded_rowid && Model().index().RowidOf(now) == p.loaded_rowid) return now;
  return 0;
}

// Writes the pane's page to its node's row. A failure keeps the text and
// the modified mark and tells the user: always when the user saves, once
// in a row when the timer does.
bool SavePane(Pane& p, bool automatic) {
  if (!p.modified) return true;
  if (!p.shows_node || !Store().library_open()) {
    p.modified = false;  // nothing on screen belongs to a node
    return true;
  }
  const int id = SaveTarget(p);
  std::string rtf;
  const bool streamed = StreamOutRtf(*p.slot, &rtf);
  std::wstring why;
  if (!streamed) {
    why = ToWide(Win32ErrorText(ERROR_NOT_ENOUGH_MEMORY));
  } else if (static_cast<std::int64_t>(rtf.size()) > PageLimit()) {
    why = LoadMessage(UiLanguage(), 85, std::to_wstring(PageLimit()));
  } else {
    HeldStoreErrors held;
    const PageWrite written = id ? StorePage(Store(), Model(), id, rtf) : PageWrite::kNoRow;
    if (written == PageWrite::kStored) {
      p.modified = false;
      p.failure_told = false;
      SendMessageW(*p.slot, EM_SETMODIFY, FALSE, 0);
      Remeasure(p, static_cast<std::int64_t>(rtf.size()));
      p.music = UsesMusicFont(rtf);
      p.loaded_id = id;
      p.loaded_rowid = Model().index().RowidOf(id);
      return true;
    }
    why = written == PageWrite::kNoRow ? LoadMessage(UiLanguage(), 95) : ToWide(held.text());
  }
  if (!automatic || !p.failure_told) {
    p.failure_told = true;
    ShowMessage(g_mainWindow, LoadMessage(UiLanguage(), 87, PageName(p)) + why, MB_ICONERROR);
  }
  return false;
}

void MirrorNow();

bool SaveAll(bool automatic) {
  if (g_mirrorSource) MirrorNow();
  bool ok = true;
  if (Mirroring()) {
    // Both panes hold the same text now; one write is enough.
    Pane& active = PaneOf(g_shell.currentEditor) ? *PaneOf(g_shell.currentEditor) : Primary();
    Pane& other = Other(active);
    active.modified = active.modified || other.modified;
    ok = SavePane(active, automatic);
    other.modified = active.modified;
  } else {
    ok = SavePane(Primary(), automatic);
    if (g_shell.splitView) ok = SavePane(Secondary(), automatic) && ok;
  }
  if (!AnyModified() || !ok) KillTimer(g_mainWindow, kSaveTimer);
  return ok;
}

// --- Changes ----------------------------------------------------------------------

void RefreshUndoButtons() {
  HWND ed = g_shell.currentEditor;
  SetButtonState(kButtonUndo, SendMessageW(ed, EM_CANUNDO, 0, 0) ? kStateNormal : kStateDisabled);
  SetButtonState(kButtonRedo, SendMessageW(ed, EM_CANREDO, 0, 0) ? kStateNormal : kStateDisabled);
}

// The other pane shows the same node: it gets the changed pane's text and
// keeps its own scroll position.
void MirrorNow() {
  KillTimer(g_mainWindow, kMirrorTimer);
  Pane* from = PaneOf(g_mirrorSource);
  g_mirrorSource = nullptr;
  if (!from || !Mirroring()) return;
  Pane& to = Other(*from);
  std::string rtf;
  if (!StreamOutRtf(*from->slot, &rtf)) return;
  POINT scroll{};
  SendMessageW(*to.slot, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  HWND fresh = FreshControlFor(to);
  if (!fresh) return;
  g_copyingMirror = true;
  StreamIn(fresh, rtf, SF_RTF);
  Install(to, fresh);
  SendMessageW(fresh, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  g_copyingMirror = false;
  to.title = from->title;
  to.loaded_id = from->loaded_id;
  to.loaded_rowid = from->loaded_rowid;
  to.modified = false;  // the source carries the change
  to.guard = from->guard;
  to.music = from->music;
  SetPageReadOnly(to, from->read_only);
}

void CALLBACK MirrorTimerProc(HWND, UINT, UINT_PTR, DWORD) { MirrorNow(); }

void OnChange(Pane& p) {
  if (g_copyingMirror || !p.shows_node) return;
  if (!Store().library_open()) {
    p.modified = false;
    return;
  }
  HWND ed = *p.slot;
  // Only pages with music pay for the check (it moves the selection twice).
  if (g_typing && p.music) {
    ProgramChange ours;
    CarryMusicFont(ed);
  }
  if (p.guard.NeedsMeasure(PaneTextLength(ed), PaneObjectCount(ed))) {
    const std::int64_t size = MeasureRtfSize(ed);
    if (!p.guard.Fits(size)) {
      ShowLocalMessage(g_mainWindow, UiLanguage(), 85, MB_ICONINFORMATION, std::to_wstring(p.guard.limit()));
      ProgramChange ours;
      SendMessageW(ed, EM_UNDO, 0, 0);
      return;
    }
    Remeasure(p, size);
  }
  p.modified = true;
  SetTimer(g_mainWindow, kSaveTimer, 5000, nullptr);
  if (Mirroring()) {
    g_mirrorSource = ed;
    SetTimer(g_mainWindow, kMirrorTimer, kMirrorDelay, MirrorTimerProc);
  }
  RefreshUndoButtons();
}

void OnMaxText() {
  ShowLocalMessage(g_mainWindow, UiLanguage(), 86, MB_ICONINFORMATION, std::to_wstring(PageLimit()));
  ProgramChange ours;
  SendMessageW(g_shell.currentEditor, EM_UNDO, 0, 0);
}

void OnSetFocus(Pane& p) {
  g_shell.currentEditor = *p.slot;
  g_typing = true;
  SetButtonState(kButtonFind, &p == &Primary() ? kStateNormal : kStateDisabled);
  if (&p == &Primary() && Model().selected_id() == 0) {
    SetButtonStates(kButtonUndo, kButtonRedo, kStateDisabled);
    return;
  }
  RefreshUndoButtons();
  const bool formatting = Model().selected_id() != 0 && !p.read_only && g_shell.readingStep == 0;
  SetButtonStates(kButtonBold, kButtonAlignRight, formatting ? kStateNormal : kStateDisabled);
}

void OnKillFocus() {
  SetButtonStates(kButtonUndo, kButtonRedo, kStateDisabled);
  SetButtonStates(kButtonBold, kButtonAlignRight, kStateDisabled);
  g_typing = false;
}

}  // namespace

// --- Public -----------------------------------------------------------------------

ProgramChange::ProgramChange() : was_typing_(g_typing) { g_typing = false; }
ProgramChange::~ProgramChange() { g_typing = was_typing_; }

void SetTyping(bool on) { g_typing = on; }

void CreatePanes(HWND main_window) {
  static HMODULE rich_edit = LoadLibraryW(L"msftedit.dll");
  if (!rich_edit) Fatal("!msftedit");
  for (Pane& p : g_panes) {
    HWND ed = NewPaneControl(p.child_id, RECT{});
    if (!ed) Fatal("!335");
    Install(p, ed);
    SetPageReadOnly(p, true);
  }
  SendMessageW(g_shell.editor2, EM_SETBKGNDCOLOR, 0, kPageBackground);
  g_shell.scratch = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VSCROLL | ES_MULTILINE, 0, 0, 0, 0,
                                    main_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kScratchId)),
                                    g_instance, nullptr);
  if (!g_shell.scratch) Fatal("!ricf");
  SendMessageW(g_shell.scratch, EM_SETUNDOLIMIT, 0, 0);
  SendMessageW(g_shell.scratch, EM_EXLIMITTEXT, 0, INT_MAX);
  g_shell.currentEditor = g_shell.editor1;
}

void LoadPrimaryPage(int id) { Load(Primary(), id); }

void LoadSecondaryPage(int id) {
  if (!g_shell.splitView) {
    g_shell.splitView = true;
    g_shell.splitY = OpenedSplitY(Client().bottom);
    LayoutChildren();
  }
  Load(Secondary(), id);
  InvalidateRect(g_shell.tree, nullptr, FALSE);
}

void ShowFixedPage(const std::wstring& title, const std::wstring& text) {
  Pane& p = Primary();
  HWND fresh = FreshControlFor(p);
  if (!fresh) return;
  {
    ProgramChange ours;
    SendMessageW(fresh, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  p.shows_node = false;
  p.title = title;
  p.modified = false;
  Install(p, fresh);
  SendMessageW(fresh, EM_SETZOOM, 0, 0);
  SendMessageW(fresh, EM_SETSEL, 0, 0);
  SetPageReadOnly(p, true);
  if (g_shell.currentEditor == fresh) SetButtonState(kButtonUndo, kStateDisabled);
}

bool SaveModifiedPages() { return SaveAll(false); }

void DiscardModifiedPages() {
  for (Pane& p : g_panes) p.modified = false;
  g_mirrorSource = nullptr;
  KillTimer(g_mainWindow, kSaveTimer);
}

void OnSaveTimer() {
  KillTimer(g_mainWindow, kSaveTimer);
  SaveAll(true);
}

int PaneNodeId(HWND pane) {
  const Pane* p = PaneOf(pane);
  return p ? NodeOf(*p) : 0;
}

std::wstring PageTitle(HWND pane) {
  const Pane* p = PaneOf(pane);
  return p ? p->title : std::wstring();
}

std::wstring ActivePageTitle() { return PageTitle(g_shell.currentEditor); }

bool ActivePageEditable() {
  const Pane* p = PaneOf(g_shell.currentEditor);
  return p && p->shows_node && !p->read_only;
}

bool PaneModified(HWND pane) {
  const Pane* p = PaneOf(pane);
  return p && p->modified;
}

void ApplyReadOnlyRule(int id, const std::wstring& title) {
  for (Pane& p : g_panes) {
    if (id == 0 || NodeOf(p) != id) continue;
    p.title = title;
    SetPageReadOnly(p, EndsWithBacktick(title));
  }
}

void NotePageChanged(HWND pane) {
  if (Pane* p = PaneOf(pane)) OnChange(*p);
}

void NoteMusicFont(HWND pane) {
  if (Pane* p = PaneOf(pane)) p->music = true;
}

void OnPaneCommand(HWND pane, int code) {
  Pane* p = PaneOf(pane);
  if (!p) return;  // a control being replaced
  switch (code) {
    case EN_CHANGE: OnChange(*p); break;
    case EN_SETFOCUS: OnSetFocus(*p); break;
    case EN_KILLFOCUS: OnKillFocus(); break;
    case EN_MAXTEXT: OnMaxText(); break;
  }
}

void CloseSplitPanes() {
  if (!g_shell.splitView) return;
  SaveModifiedPages();
  Pane& second = Secondary();
  g_shell.splitView = false;
  g_shell.currentEditor = g_shell.editor1;
  Model().set_second_pane_id(0);
  second.shows_node = false;
  second.modified = false;
  second.title.clear();
  if (HWND fresh = NewPaneControl(second.child_id, RECT{})) Install(second, fresh);
  MoveWindow(g_shell.editor2, 0, 0, 0, 0, TRUE);
  SetPageReadOnly(second, true);
  SendMessageW(g_shell.editor2, EM_SETBKGNDCOLOR, 0, kPageBackground);
  for (HWND m : {g_shell.marker1, g_shell.marker2})
    if (m) ShowWindow(m, SW_HIDE);
  LayoutChildren();
  InvalidateRect(g_shell.tree, nullptr, FALSE);
}

void SetReadingBackground(bool reading) {
  for (Pane& p : g_panes) {
    const bool on = reading && *p.slot == g_shell.currentEditor;
    SendMessageW(*p.slot, EM_SETBKGNDCOLOR, 0,
                 on ? kReadingBackground : p.read_only ? kReadOnlyBackground : kPageBackground);
  }
}

void ApplyWordWrap(bool wrap) {
  for (Pane& p : g_panes) SendMessageW(*p.slot, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
}

}  // namespace lw
