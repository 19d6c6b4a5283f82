#include "editor/format_win.h"

#include <windows.h>

#include <richedit.h>
#include <sapi.h>
#include <shellapi.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/app_win.h"
#include "app/commands.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/format.h"
#include "editor/pane_win.h"
#include "editor/picture_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"

namespace lw {

static_assert(kFmtBold == CFM_BOLD && kFmtItalic == CFM_ITALIC && kFmtUnderline == CFM_UNDERLINE &&
              kFmtStrikeOut == CFM_STRIKEOUT && kFmtHidden == CFM_HIDDEN);
static_assert(kFmtSubscript == CFE_SUBSCRIPT && kFmtSuperscript == CFE_SUPERSCRIPT &&
              kFmtSubSuperMask == (CFM_SUBSCRIPT | CFM_SUPERSCRIPT));
static_assert(kFmtBackColor == CFM_BACKCOLOR && kFmtBackColor == CFE_AUTOBACKCOLOR &&
              kFmtFace == CFM_FACE && kFmtColor == CFM_COLOR && kFmtSize == CFM_SIZE);

namespace {

UrlOpener g_urlOpener = nullptr;
SpeechSink g_speechSink = nullptr;
ISpVoice* g_voice = nullptr;  // the voice of the last reading, until the next or a stop

// --- The active pane ---------------------------------------------------------------

// The active pane when its page may be changed, else null.
HWND EditablePane() {
  HWND pane = g_shell.currentEditor;
  return pane && ActivePageEditable() ? pane : nullptr;
}

CHARRANGE Selection(HWND pane) {
  CHARRANGE r{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

void Select(HWND pane, LONG from, LONG to) {
  CHARRANGE r{from, to};
  SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

// Removes the selection, leaving the caret.
void Collapse(HWND pane) { SendMessageW(pane, EM_SETSEL, static_cast<WPARAM>(-1), 0); }

LONG TextLength(HWND pane) { return static_cast<LONG>(PaneTextLength(pane)); }

// The text of the line that holds position `at`, without its line break.
CHARRANGE LineAt(HWND pane, LONG at) {
  LRESULT line = SendMessageW(pane, EM_EXLINEFROMCHAR, 0, at);
  LONG start = static_cast<LONG>(SendMessageW(pane, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
  LONG length = static_cast<LONG>(SendMessageW(pane, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
  return CHARRANGE{start, start + length};
}

void ReplaceSelection(HWND pane, const std::wstring& text) {
  ProgramChange change;
  SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// --- Formats -----------------------------------------------------------------------

CHARFORMAT2W SelectionFormat(HWND pane) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return cf;
}

void SetSelectionFormat(HWND pane, CHARFORMAT2W& cf) {
  {
    ProgramChange change;
    SendMessageW(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }
  NotePageChanged(pane);
}

PARAFORMAT2 ParagraphFormat(HWND pane) {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  SendMessageW(pane, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  return pf;
}

void SetParagraphFormat(HWND pane, PARAFORMAT2& pf) {
  {
    ProgramChange change;
    SendMessageW(pane, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  }
  NotePageChanged(pane);
}

void ApplyRow(HWND pane, const CharFormatRow& row) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = row.mask;
  cf.dwEffects = row.effects;
  cf.crTextColor = row.textColor;
  cf.crBackColor = row.backColor;
  cf.yHeight = row.twips;
  if (row.face) lstrcpynW(cf.szFaceName, reinterpret_cast<const wchar_t*>(row.face), LF_FACESIZE);
  SetSelectionFormat(pane, cf);
  if (row.collapse) Collapse(pane);
}

// The selection's paragraphs left-aligned, without indent or numbering.
void ResetParagraphs(HWND pane) {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_STARTINDENT | PFM_ALIGNMENT | PFM_NUMBERING;
  pf.wAlignment = PFA_LEFT;
  SetParagraphFormat(pane, pf);
}

DWORD EffectOf(int id) {
  switch (id) {
    case kCmdBold: return CFE_BOLD;
    case kCmdItalic: return CFE_ITALIC;
    case kCmdUnderline: return CFE_UNDERLINE;
    case kCmdStrikeOut: return CFE_STRIKEOUT;
    case kCmdHiddenText: return CFE_HIDDEN;
    default: return 0;
  }
}

}  // namespace

// --- Formatting routines -------------------------------------------------------------

void FormatRoutine(int id) {
  HWND pane = EditablePane();
  const CharFormatRow* row = FindCharFormatRow(id);
  if (!pane || !row) return;
  if (id == kCmdNormalStyle) ResetParagraphs(pane);
  ApplyRow(pane, *row);
}

// The effect goes off only when the whole selection has it; a selection
// that is partly bold becomes all bold.
void ToggleEffectRoutine(int id) {
  HWND pane = EditablePane();
  DWORD bit = EffectOf(id);
  if (!pane || !bit) return;
  CHARFORMAT2W cf = SelectionFormat(pane);
  const bool all_on = (cf.dwMask & bit) && (cf.dwEffects & bit);
  cf.dwMask = bit;
  cf.dwEffects = all_on ? 0 : bit;
  SetSelectionFormat(pane, cf);
}

void GreyOutRoutine(int) {
  HWND pane = EditablePane();
  if (!pane) return;
  CHARRANGE sel = Selection(pane);
  if (sel.cpMin == sel.cpMax) {
    // From the line's end back to its start, as a user would select it.
    CHARRANGE line = LineAt(pane, sel.cpMin);
    SendMessageW(pane, EM_SETSEL, static_cast<WPARAM>(line.cpMax), line.cpMin);
  }
  ApplyRow(pane, *FindCharFormatRow(kCmdColorGrey));
}

// Bullets are set, not flipped: on unless every selected paragraph has them,
// so a selection across a list and plain text becomes one list.
void BulletsRoutine(int) {
  HWND pane = EditablePane();
  if (!pane) return;
  PARAFORMAT2 pf = ParagraphFormat(pane);
  const bool all_bulleted = (pf.dwMask & PFM_NUMBERING) && pf.wNumbering == PFN_BULLET;
  pf.dwMask = PFM_NUMBERING;
  pf.wNumbering = all_bulleted ? 0 : PFN_BULLET;
  SetParagraphFormat(pane, pf);
}

// The indent is set, not flipped: 333 twips when every selected paragraph
// starts at the margin, otherwise (indented by any amount, or mixed) back to
// the margin. An exclusive-or with 333 would give an indent of 666 the
// meaningless 983.
void IndentRoutine(int) {
  HWND pane = EditablePane();
  if (!pane) return;
  PARAFORMAT2 pf = ParagraphFormat(pane);
  const bool all_at_margin = (pf.dwMask & PFM_STARTINDENT) && pf.dxStartIndent == 0;
  pf.dwMask = PFM_STARTINDENT;
  pf.dxStartIndent = all_at_margin ? 333 : 0;
  SetParagraphFormat(pane, pf);
}

// --- Insertions ----------------------------------------------------------------------

void InsertDateRoutine(int) {
  HWND pane = EditablePane();
  if (!pane) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  std::string stamp = DateStamp(local, UiLanguage());
  ReplaceSelection(pane, std::wstring(stamp.begin(), stamp.end()));
}

void InsertSeparatorRoutine(int id) {
  HWND pane = EditablePane();
  if (!pane) return;
  ReplaceSelection(pane, std::wstring(10, id == kCmdInsertDoubleDashes ? L'=' : L'-'));
}

void InsertCharacterRoutine(int id) {
  HWND pane = EditablePane();
  char16_t c = SpecialCharacter(id);
  if (pane && c) ReplaceSelection(pane, std::wstring(1, static_cast<wchar_t>(c)));
}

// The text of the caret's line goes, its line break stays. The line is
// found and cleared by messages rather than by synthesised Home, Shift+End
// and Delete keys: those would reach whatever window has the focus when the
// input queue delivers them, and modifier keys the user holds would change
// what they do.
void DeleteLineRoutine(int) {
  HWND pane = EditablePane();
  if (!pane) return;
  CHARRANGE line = LineAt(pane, Selection(pane).cpMin);
  Select(pane, line.cpMin, line.cpMax);
  ReplaceSelection(pane, std::wstring());
}

// --- Clipboard -----------------------------------------------------------------------

namespace {

// By the first format present: rich text, Unicode text, 8-bit text, then
// a bitmap.
void PasteIntoPane(HWND pane) {
  const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
  for (UINT format : {rtf, static_cast<UINT>(CF_UNICODETEXT), static_cast<UINT>(CF_TEXT)}) {
    if (!IsClipboardFormatAvailable(format)) continue;
    ProgramChange change;
    SendMessageW(pane, EM_PASTESPECIAL, format, 0);
    return;
  }
  PasteClipboardPicture(pane);
}

bool IsEditField(HWND hwnd) {
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, 32);
  return lstrcmpiW(cls, L"Edit") == 0 || lstrcmpiW(cls, MSFTEDIT_CLASS) == 0;
}

}  // namespace

// The tree's own Ctrl+X, C and V never get here: the main window turns them
// into node commands while the tree has the focus.
void ClipboardRoutine(int id) {
  HWND focus = GetFocus();
  if (!focus) return;
  if (focus == g_shell.editor1 || focus == g_shell.editor2) {
    if (id == kCmdCopy) SendMessageW(focus, WM_COPY, 0, 0);
    if (focus != EditablePane()) return;
    if (id == kCmdCut) SendMessageW(focus, WM_CUT, 0, 0);
    if (id == kCmdPaste) PasteIntoPane(focus);
    return;
  }
  if (!IsEditField(focus)) return;
  UINT msg = id == kCmdCut ? WM_CUT : id == kCmdCopy ? WM_COPY : WM_PASTE;
  SendMessageW(focus, msg, 0, 0);
}

// --- Web search and reading aloud ------------------------------------------------------

void WebSearchRoutine(int) {
  HWND pane = g_shell.currentEditor;
  if (!pane) return;
  std::wstring url = ToWide(WebSearchUrl(ToU16(SelectedText(pane))));
  if (g_urlOpener) {
    g_urlOpener(url);
    return;
  }
  ShellExecuteW(g_mainWindow, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

ISpVoice* CreateVoice() {
  // The user-interface thread's apartment, kept for the rest of the run;
  // S_FALSE and RPC_E_CHANGED_MODE mean there is one already.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ISpVoice* voice = nullptr;
  if (FAILED(CoCreateInstance(__uuidof(SpVoice), nullptr, CLSCTX_ALL, __uuidof(ISpVoice),
                              reinterpret_cast<void**>(&voice))))
    return nullptr;
  return voice;
}

}  // namespace

// The whole selection is read, without its carriage returns, while the
// window goes on: the voice speaks on its own thread until the text ends,
// another reading starts or StopSpeaking is called.
void SpeakRoutine(int) {
  HWND pane = g_shell.currentEditor;
  if (!pane) return;
  std::wstring text = SelectedText(pane);
  text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
  if (text.empty()) return;
  if (g_speechSink) {
    g_speechSink(text);
    return;
  }
  StopSpeaking();
  g_voice = CreateVoice();
  // Text, never markup: a page may well hold "<".
  if (g_voice) g_voice->Speak(text.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, nullptr);
}

bool StopSpeaking() {
  if (!g_voice) return false;
  // WaitUntilDone answers S_FALSE while the text is still being spoken.
  const bool speaking = g_voice->WaitUntilDone(0) == S_FALSE;
  if (speaking) g_voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
  g_voice->Release();
  g_voice = nullptr;
  return speaking;
}

// --- Scrambling ------------------------------------------------------------------------

namespace {

struct FormatRun {
  LONG start;
  LONG end;
  CHARFORMAT2W format;
};

bool SameFormat(const CHARFORMAT2W& a, const CHARFORMAT2W& b) {
  return a.dwMask == b.dwMask && a.dwEffects == b.dwEffects && a.yHeight == b.yHeight &&
         a.yOffset == b.yOffset && a.crTextColor == b.crTextColor && a.bCharSet == b.bCharSet &&
         a.bPitchAndFamily == b.bPitchAndFamily && lstrcmpW(a.szFaceName, b.szFaceName) == 0 &&
         a.wWeight == b.wWeight && a.sSpacing == b.sSpacing && a.crBackColor == b.crBackColor &&
         a.lcid == b.lcid && a.sStyle == b.sStyle && a.wKerning == b.wKerning &&
         a.bUnderlineType == b.bUnderlineType && a.bAnimation == b.bAnimation &&
         a.bRevAuthor == b.bRevAuthor;
}

// The runs of equal character format that make up `span`, read one
// character at a time.
std::vector<FormatRun> FormatRuns(HWND pane, TextSpan span) {
  std::vector<FormatRun> runs;
  for (LONG p = static_cast<LONG>(span.start); p < static_cast<LONG>(span.end); ++p) {
    Select(pane, p, p + 1);
    CHARFORMAT2W cf = SelectionFormat(pane);
    if (!runs.empty() && SameFormat(runs.back().format, cf)) runs.back().end = p + 1;
    else runs.push_back({p, p + 1, cf});
  }
  return runs;
}

// Replaces each run by its scrambled text and gives it back its format (the
// control may give inserted text the format of the character before it).
// Runs are replaced from the last, so the positions of the others hold.
// Returns the span's new end.
LONG ScrambleRuns(HWND pane, TextSpan span) {
  const std::u16string text =
      ToU16(TextRange(pane, static_cast<LONG>(span.start), static_cast<LONG>(span.end)));
  std::vector<FormatRun> runs = FormatRuns(pane, span);
  LONG grown = 0;
  ProgramChange change;
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    const size_t offset = static_cast<size_t>(run->start) - span.start;
    const std::wstring scrambled =
        ToWide(ScrambleText(text.substr(offset, static_cast<size_t>(run->end - run->start))));
    const LONG before = TextLength(pane);
    Select(pane, run->start, run->end);
    SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(scrambled.c_str()));
    // The control keeps a "\r\n" (which "\f\v" becomes) as one break, so
    // the run's new length is the control's.
    const LONG delta = TextLength(pane) - before;
    Select(pane, run->start, run->end + delta);
    SendMessageW(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&run->format));
    grown += delta;
  }
  return static_cast<LONG>(span.end) + grown;
}

// While it lives, the pane sends no notifications and does not repaint: the
// scan moves the selection once for every character.
class QuietPane {
 public:
  explicit QuietPane(HWND pane)
      : pane_(pane), mask_(static_cast<LPARAM>(SendMessageW(pane, EM_SETEVENTMASK, 0, 0))) {
    SendMessageW(pane_, WM_SETREDRAW, FALSE, 0);
  }
  ~QuietPane() {
    SendMessageW(pane_, EM_SETEVENTMASK, 0, mask_);
    SendMessageW(pane_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(pane_, nullptr, TRUE);
  }
  QuietPane(const QuietPane&) = delete;
  QuietPane& operator=(const QuietPane&) = delete;

 private:
  HWND pane_;
  LPARAM mask_;
};

bool TellIfNotScrambled(ScrambleVerdict verdict) {
  if (verdict == ScrambleVerdict::kOk) return false;
  ShowLocalMessage(g_mainWindow, UiLanguage(), verdict == ScrambleVerdict::kTooShort ? 21 : 22,
                   MB_ICONINFORMATION);
  return true;
}

}  // namespace

// The selection, or the block around the caret, exclusive-or 1, run by run so
// that bold stays bold. Pictures in the range are lost (the question says so).
void ScrambleRoutine(int) {
  if (!EditablePane()) return;
  if (ShowLocalMessage(g_mainWindow, UiLanguage(), 48, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  HWND pane = EditablePane();  // the box let other messages through
  if (!pane) return;
  const std::wstring page = PaneText(pane);
  if (page.size() < kScrambleMin) {
    TellIfNotScrambled(ScrambleVerdict::kTooShort);
    return;
  }
  const CHARRANGE sel = Selection(pane);
  const bool selected = sel.cpMin != sel.cpMax;
  const TextSpan span = selected ? TextSpan{static_cast<size_t>(sel.cpMin), static_cast<size_t>(sel.cpMax)}
                                 : BlockAroundCaret(ToU16(page), static_cast<size_t>(sel.cpMin));
  if (TellIfNotScrambled(JudgeScrambleLength(span.size()))) return;
  WorkClaim running = Store().ClaimWork();
  LONG end;
  {
    QuietPane quiet(pane);
    end = ScrambleRuns(pane, span);
  }
  NotePageChanged(pane);
  if (selected) Select(pane, static_cast<LONG>(span.start), end);
  else Select(pane, end, end);
}

// --- The page menu -----------------------------------------------------------------------

namespace {

// The items a read-only page greys: Cut, the eight characters, every colour,
// background, face and size.
std::vector<int> ChangingItems() {
  std::vector<int> ids = {kCmdCut};
  for (int id = kCmdCharEuro; id <= kCmdCharPlusMinus; ++id) ids.push_back(id);
  for (const CharFormatRow& row : CharFormatRows())
    if (row.id >= kCmdColorRed) ids.push_back(row.id);
  return ids;
}

bool ClipboardHasPastable() {
  for (UINT format : {RegisterClipboardFormatW(L"Rich Text Format"), static_cast<UINT>(CF_UNICODETEXT),
                      static_cast<UINT>(CF_TEXT), static_cast<UINT>(CF_DIB)})
    if (IsClipboardFormatAvailable(format)) return true;
  return false;
}

void Enable(HMENU menu, int id, bool on) {
  EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void PreparePageMenu(HWND pane, POINT screen) {
  HMENU menu = GetSubMenu(g_shell.menu, 3);
  if (!menu || !pane) return;
  const bool editable = pane == g_shell.currentEditor && ActivePageEditable();
  for (int id : ChangingItems()) Enable(menu, id, editable);
  CHARRANGE sel = Selection(pane);
  const bool empty = sel.cpMin == sel.cpMax;
  if (empty) {
    POINT client = screen;
    ScreenToClient(pane, &client);
    POINTL at{client.x, client.y};
    LONG ch = static_cast<LONG>(SendMessageW(pane, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    Select(pane, ch, ch);
  }
  Enable(menu, kCmdCut, editable && !empty);
  Enable(menu, kCmdCopy, !empty);
  Enable(menu, kCmdPaste, editable && ClipboardHasPastable());
}

void ShowPageMenu(HWND pane, POINT screen) {
  if (!pane || PaneNodeId(pane) == 0) return;
  PreparePageMenu(pane, screen);
  if (HMENU menu = GetSubMenu(g_shell.menu, 3))
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, g_mainWindow, nullptr);
}

// --- Test seams ------------------------------------------------------------------------

void SetUrlOpenerForTest(UrlOpener opener) { g_urlOpener = opener; }
void SetSpeechSinkForTest(SpeechSink sink) { g_speechSink = sink; }

}  // namespace lw
