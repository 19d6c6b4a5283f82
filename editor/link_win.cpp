#include "editor/link_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/link.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"

namespace lw {

namespace {

// The main window's timer that selects a linked node once the click that
// asked for it has left the pane (selecting replaces the pane's control).
constexpr UINT_PTR kLinkTimer = 8;
// The sibling reads a block of at least this many bytes (260 UTF-16 units).
constexpr DWORD kSiblingMinBytes = 520;
constexpr UINT kSiblingTimeoutMs = 5000;

LinkEffectSink g_sink = nullptr;
PlayClipHandler g_playClip = nullptr;
StopClipsHandler g_stopClips = nullptr;
int g_pendingNode = 0;

// --- What a link does outside the page -----------------------------------------------

// True when the test seam took the effect instead.
bool Recorded(const LinkEffect& effect) {
  if (!g_sink) return false;
  g_sink(effect);
  return true;
}

void ShellOpen(const std::wstring& target) {
  if (Recorded({LinkEffect::Kind::kShell, L"open", target})) return;
  ShellExecuteW(g_mainWindow, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Tell(int n, const std::wstring& arg = std::wstring()) {
  ShowLocalMessage(g_mainWindow, UiLanguage(), n, MB_ICONINFORMATION, arg);
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
  if (Recorded({LinkEffect::Kind::kClipboard, L"", text})) return;
  PutTextOnClipboard(owner, text);
}

void PlayClip(const std::wstring& name) {
  if (Recorded({LinkEffect::Kind::kPlay, L"", name})) return;
  if (g_playClip) g_playClip(name);
}

void StopClips() {
  if (Recorded({LinkEffect::Kind::kStop, L"", L""})) return;
  if (g_stopClips) g_stopClips();
}

// --- Files and folders ---------------------------------------------------------------

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

// Opens the file at `path`; a program or script only when the user says so.
void OpenFile(const std::wstring& path, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && IsRunnableFile(ToU16(path)) &&
      ShowLocalMessage(g_mainWindow, UiLanguage(), 89, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, path) !=
          IDYES)
    return;
  ShellOpen(path);
}

void OpenFileLink(const std::wstring& name) {
  for (const std::u16string& candidate : FileLinkCandidates(ToU16(name), ToU16(ProgramFolder()))) {
    const std::wstring path = ToWide(candidate);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    OpenFile(path, attributes);
    return;
  }
  Tell(25, name);
}

void OpenFolderLink(const std::wstring& name) {
  for (const std::u16string& candidate : FolderLinkCandidates(ToU16(name))) {
    const std::wstring path = ToWide(candidate);
    if (!PathIsDirectoryW(path.c_str())) continue;
    ShellOpen(path);
    return;
  }
  Tell(25, name);
}

// --- Places in the page ----------------------------------------------------------------

LRESULT LineOfCaret(HWND pane) { return SendMessageW(pane, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0); }

// Half the lines the pane shows.
LRESULT HalfPage(HWND pane) {
  RECT client{};
  GetClientRect(pane, &client);
  POINTL bottom_left{0, client.bottom};
  const LRESULT ch = SendMessageW(pane, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom_left));
  const LRESULT bottom_line = SendMessageW(pane, EM_EXLINEFROMCHAR, 0, ch);
  return (bottom_line - SendMessageW(pane, EM_GETFIRSTVISIBLELINE, 0, 0)) / 2;
}

// The caret to `at`; a jump of more than half a page scrolls on by half a
// page, so that the place stands near the middle instead of at an edge.
void PlaceCaretCentred(HWND pane, LONG at) {
  const LRESULT old_line = LineOfCaret(pane);
  SendMessageW(pane, EM_SETSEL, at, at);
  SendMessageW(pane, EM_SCROLLCARET, 0, 0);
  const LRESULT new_line = LineOfCaret(pane);
  const LRESULT half = HalfPage(pane);
  if (new_line - old_line > half) SendMessageW(pane, EM_LINESCROLL, 0, half);
  else if (old_line - new_line > half) SendMessageW(pane, EM_LINESCROLL, 0, 1 - half);
}

// Finds `text` as a whole word, in its letter case, anywhere in the page.
bool GoToText(HWND pane, const std::wstring& text) {
  FINDTEXTEXW find{{0, -1}, text.c_str(), {0, 0}};
  const LRESULT at = SendMessageW(pane, EM_FINDTEXTEXW, FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE,
                                  reinterpret_cast<LPARAM>(&find));
  if (at < 0) return false;
  PlaceCaretCentred(pane, static_cast<LONG>(at));
  return true;
}

void GoToMarker(HWND pane, const std::wstring& name) {
  if (name == L"top" || name == L"down") {
    const LONG at = name == L"top" ? 0 : static_cast<LONG>(PaneTextLength(pane));
    SendMessageW(pane, EM_SETSEL, at, at);
    SendMessageW(pane, EM_SCROLLCARET, 0, 0);
    return;
  }
  const std::wstring marker = L"\u00A7" + name;
  if (!GoToText(pane, marker)) Tell(25, marker);
}

// --- Other programs and nodes ----------------------------------------------------------

void SendToSibling(const std::wstring& text) {
  HWND sibling = FindWindowW(nullptr, ToWide(kSiblingWindowTitle).c_str());
  if (!sibling) {
    ShowMessage(g_mainWindow, LoadMessage(UiLanguage(), 49) + L"\n" + ToWide(kSiblingAddress),
                MB_ICONINFORMATION);
    return;
  }
  if (Recorded({LinkEffect::Kind::kSibling, L"", text})) return;
  // Zero-padded to the block size the sibling reads; longer texts whole.
  std::wstring block = text;
  block.resize(std::max<size_t>(text.size() + 1, kSiblingMinBytes / sizeof(wchar_t)), L'\0');
  COPYDATASTRUCT data{kSiblingCopyDataTag, static_cast<DWORD>(block.size() * sizeof(wchar_t)), block.data()};
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(sibling, WM_COPYDATA, reinterpret_cast<WPARAM>(g_mainWindow),
                      reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSiblingTimeoutMs, &answer);
}

void CALLBACK SelectPendingNode(HWND hwnd, UINT, UINT_PTR timer, DWORD) {
  KillTimer(hwnd, timer);
  const int id = std::exchange(g_pendingNode, 0);
  ModelItem* item = Model().ItemOf(id);
  if (item && View()) TreeView_SelectItem(g_shell.tree, View()->Show(item));
}

void SelectLinkedNode(const std::wstring& title) {
  if (Store().busy()) {
    Tell(33);
    return;
  }
  const int id = Store().library_open() ? FindLinkedNode(Store().db(), Model(), ToU16(title)) : 0;
  if (id == 0) {
    Tell(28);
    return;
  }
  if (Recorded({LinkEffect::Kind::kSelectNode, L"", L"", id})) return;
  g_pendingNode = id;
  SetTimer(g_mainWindow, kLinkTimer, 0, SelectPendingNode);
}

// --- Reading the page ---------------------------------------------------------------------

// Replaces the selection with the RTF `rtf`; the stream's error code.
DWORD StreamIntoSelection(HWND pane, const std::string& rtf) {
  ProgramChange ours;
  return StreamInBytes(pane, rtf, SF_RTF | SFF_SELECTION);
}

std::wstring StreamErrorText(DWORD error) {
  std::wstring text = LoadMessage(UiLanguage(), 26);
  const size_t at = text.find(L"%i");
  if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(static_cast<long>(error)));
  return text;
}

}  // namespace

// --- Public ---------------------------------------------------------------------------------

LRESULT OnLinkNotify(HWND pane, const ENLINK& link) {
  if (link.msg != WM_LBUTTONUP || !SelectedTextEmpty(pane)) return 0;
  const LONG length = link.chrg.cpMax - link.chrg.cpMin;
  if (length <= 0 || link.chrg.cpMin < 0) return 0;
  if (static_cast<size_t>(length) > kMaxLinkLength) {
    Tell(88, std::to_wstring(kMaxLinkLength));
    return 0;
  }
  FollowLink(pane, TextRange(pane, link.chrg.cpMin, link.chrg.cpMax));
  return 0;
}

void FollowLink(HWND pane, const std::wstring& text) {
  std::u16string used = ToU16(text);
  const LinkKind kind = ClassifyLink(&used);
  const std::wstring target = ToWide(used);
  switch (kind) {
    case LinkKind::kCopy: CopyToClipboard(pane, target); break;
    case LinkKind::kPlay: PlayClip(target); break;
    case LinkKind::kStop: StopClips(); break;
    case LinkKind::kFile: OpenFileLink(target); break;
    case LinkKind::kFolder: OpenFolderLink(target); break;
    case LinkKind::kGoto: GoToMarker(pane, target); break;
    case LinkKind::kFootnote:
      if (!GoToText(pane, target)) Tell(25, target);
      break;
    case LinkKind::kSibling: SendToSibling(target); break;
    case LinkKind::kNode: SelectLinkedNode(target); break;
    case LinkKind::kDictionary: ShellOpen(ToWide(DictionaryUrl(used))); break;
    case LinkKind::kEncyclopedia: ShellOpen(ToWide(EncyclopediaUrl(used, UiLanguage()))); break;
    case LinkKind::kOther: ShellOpen(target); break;
  }
}

void MakeFootnoteLink(int) {
  HWND pane = g_shell.currentEditor;
  if (!pane || !ActivePageEditable()) return;
  std::wstring text = SelectedText(pane);
  text.erase(std::remove_if(text.begin(), text.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }),
             text.end());
  if (text.empty()) return;
  // The link's own text is "x" and the selection: it must stay followable.
  if (text.size() + 1 > kMaxLinkLength) {
    Tell(90, std::to_wstring(kMaxLinkLength - 1));
    return;
  }
  const DWORD error = StreamIntoSelection(pane, FootnoteRtf(ToU16(text)));
  NotePageChanged(pane);
  if (error) ShowMessage(g_mainWindow, StreamErrorText(error), MB_ICONERROR);
}

void SetClipLinkHandlers(PlayClipHandler play, StopClipsHandler stop) {
  g_playClip = play;
  g_stopClips = stop;
}

void SetLinkEffectSinkForTest(LinkEffectSink sink) { g_sink = sink; }

}  // namespace lw
