#include "editor/drop_win.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/drop.h"
#include "editor/ole_callback_win.h"
#include "editor/pane_win.h"
#include "editor/picture_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"
#include "store/page_store.h"

namespace lw {

namespace {

using Microsoft::WRL::ComPtr;

constexpr int kMsgAlreadyOpen = 35;
constexpr int kMsgDoesNotExist = 36;
constexpr int kMsgTooManyChars = 86;

std::function<bool(const std::wstring&)> g_soundHandler;
ShellOpener g_shellOpener;
bool g_restIgnored = false;  // a library opened: the rest of this drop is not for it

bool PaneEditable(HWND pane) { return pane && pane == g_shell.currentEditor && ActivePageEditable(); }

// A folder is a folder whatever its name ends in.
DropKind KindOfPath(const std::wstring& path) {
  if (PathIsDirectoryW(path.c_str())) return DropKind::kOther;
  return KindOfExtension(ToU16(PathFindExtensionW(path.c_str())));
}

class File {
 public:
  explicit File(const std::wstring& path)
      : h_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~File() {
    if (ok()) CloseHandle(h_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// --- Shortcuts and libraries ------------------------------------------------------

// The path a shortcut leads to, found without asking the user (no window,
// no search); empty when the shortcut cannot be read.
std::wstring ShortcutTarget(const std::wstring& path) {
  // The user-interface thread's apartment, kept for the rest of the run.
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
    return std::wstring();
  link->Resolve(nullptr, SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOUPDATE);
  std::vector<wchar_t> target(32768, L'\0');
  // The item list keeps every letter of the name; the path a shortcut also
  // stores may be in the system's code page (Wine writes it so).
  PIDLIST_ABSOLUTE item = nullptr;
  if (SUCCEEDED(link->GetIDList(&item)) && item) {
    const bool named = SHGetPathFromIDListEx(item, target.data(), static_cast<DWORD>(target.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(item);
    if (named) return std::wstring(target.data());
  }
  if (FAILED(link->GetPath(target.data(), static_cast<int>(target.size()), nullptr, 0))) return std::wstring();
  return std::wstring(target.data());
}

bool ReadsOneByte(const std::wstring& path) {
  File file(path);
  char byte = 0;
  DWORD got = 0;
  return file.ok() && ReadFile(file.get(), &byte, 1, &got, nullptr) && got == 1;
}

DropOutcome OpenDroppedLibrary(const std::wstring& path) {
  if (!ReadsOneByte(path)) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgAlreadyOpen, MB_ICONINFORMATION, path);
    return DropOutcome::kHandled;
  }
  OpenLibraryPath(ToU16(path));
  return DropOutcome::kLibraryOpened;
}

// --- Anything else ----------------------------------------------------------------

void OpenFolder(const std::wstring& path) {
  if (g_shellOpener) {
    g_shellOpener(g_mainWindow, L"open", path);
    return;
  }
  ShellExecuteW(g_mainWindow, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// A folder opens in the shell (never read: it may hold any number of files);
// any other file is named at the caret.
void InsertOther(HWND pane, const std::wstring& path) {
  if (PathIsDirectoryW(path.c_str())) {
    OpenFolder(path);
    return;
  }
  if (!LibraryAndNodeOrSay() || !PaneEditable(pane)) return;
  SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
}

// --- Text files -------------------------------------------------------------------

struct FileReader {
  HANDLE file;
  bool swap;       // big-endian UTF-16: each pair exchanged
  int carry = -1;  // the odd byte a piece ended on
};

DWORD CALLBACK ReadPiece(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* r = reinterpret_cast<FileReader*>(cookie);
  *done = 0;
  DWORD got = 0;
  if (!r->swap) {
    if (!ReadFile(r->file, buffer, static_cast<DWORD>(size), &got, nullptr)) return 1;
    *done = static_cast<LONG>(got);
    return 0;
  }
  // Room is kept for the carried byte, so the swapped pairs always fit.
  std::string piece(static_cast<size_t>(size > 1 ? size - 1 : 1), '\0');
  std::string out;
  do {
    if (!ReadFile(r->file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) return 1;
    out = SwapPairs(std::string_view(piece.data(), got), &r->carry);
  } while (out.empty() && got > 0);
  memcpy(buffer, out.data(), out.size());
  *done = static_cast<LONG>(out.size());
  return 0;
}

// The stream-in format of plain text: UTF-16 (either way round: the reader
// swaps big-endian pairs) or the system's code page.
WPARAM FormatOf(const TextSignature& sig) {
  const bool utf16 = sig.encoding == TextEncoding::kUtf16Le || sig.encoding == TextEncoding::kUtf16Be;
  return utf16 ? SF_TEXT | SF_UNICODE | SFF_SELECTION : SF_TEXT | SFF_SELECTION;
}

// UTF-8 goes in converted (see StreamInConverted).
void StreamUtf8(HWND pane, HANDLE file, std::int64_t bytes) {
  std::string utf8(static_cast<size_t>(bytes), '\0');
  DWORD got = 0;
  if (!ReadFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &got, nullptr)) return;
  StreamInConverted(pane, std::string_view(utf8.data(), got), CP_UTF8, SFF_SELECTION);
}

// The file's size when it may be inserted; says why not otherwise. Zero
// bytes insert nothing, silently.
std::optional<std::int64_t> InsertableSize(HANDLE file, const std::wstring& path) {
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgDoesNotExist, MB_ICONINFORMATION, path);
    return std::nullopt;
  }
  const std::int64_t limit = PageByteLimit(Store());
  if (size.QuadPart > limit) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgTooManyChars, MB_ICONINFORMATION, std::to_wstring(limit));
    return std::nullopt;
  }
  if (size.QuadPart == 0) return std::nullopt;
  return size.QuadPart;
}

// A formatted document ends in a paragraph mark of its own, which the
// control inserts with the rest. Only that mark goes, and only when the
// inserted text ends in one: nothing outside the insertion is touched.
void RemoveAddedParagraphMark(HWND pane, LONG start, std::int64_t inserted) {
  if (inserted < 1) return;
  const LONG end = start + static_cast<LONG>(inserted);
  if (TextRange(pane, end - 1, end) != L"\r") return;
  SendMessageW(pane, EM_SETSEL, end - 1, end);
  SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void StreamFile(HWND pane, HANDLE file, std::int64_t size, bool rtf) {
  char start[3] = {};
  DWORD got = 0;
  ReadFile(file, start, sizeof start, &got, nullptr);
  const TextSignature sig = rtf ? TextSignature{} : DetectTextSignature(std::string_view(start, got));
  LARGE_INTEGER skip{};
  skip.QuadPart = static_cast<LONGLONG>(sig.length);  // the signature never arrives as a character
  SetFilePointerEx(file, skip, nullptr, FILE_BEGIN);
  CHARRANGE sel{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  const std::int64_t before = PaneTextLength(pane) - (sel.cpMax - sel.cpMin);
  ProgramChange ours;
  if (sig.encoding == TextEncoding::kUtf8) {
    StreamUtf8(pane, file, size - static_cast<std::int64_t>(sig.length));
    return;
  }
  FileReader reader{file, sig.encoding == TextEncoding::kUtf16Be};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&reader), 0, ReadPiece};
  SendMessageW(pane, EM_STREAMIN, rtf ? SF_RTF | SFF_SELECTION : FormatOf(sig), reinterpret_cast<LPARAM>(&es));
  if (rtf) RemoveAddedParagraphMark(pane, sel.cpMin, PaneTextLength(pane) - before);
}

}  // namespace

bool InsertTextFile(HWND pane, const std::wstring& path, bool rtf) {
  if (!LibraryAndNodeOrSay() || !PaneEditable(pane)) return false;
  File file(path);
  if (!file.ok()) {
    ShowMessage(g_mainWindow, path + L"\n\n" + ToWide(Win32ErrorText(GetLastError())), MB_ICONERROR);
    return false;
  }
  const std::optional<std::int64_t> size = InsertableSize(file.get(), path);
  if (!size) return false;
  StreamFile(pane, file.get(), *size, rtf);
  NotePageChanged(pane);
  return true;
}

DropOutcome InsertDroppedFileInto(HWND pane, const std::wstring& path) {
  std::wstring target = path;
  DropKind kind = KindOfPath(target);
  if (kind == DropKind::kShortcut) {
    target = ShortcutTarget(path);
    if (target.empty() || GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
      // A shortcut to nothing names what it points at (or itself, when it
      // points nowhere at all).
      ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgDoesNotExist, MB_ICONINFORMATION,
                       target.empty() ? path : target);
      return DropOutcome::kHandled;
    }
    kind = KindOfPath(target);
    if (kind == DropKind::kShortcut) kind = DropKind::kOther;  // followed once only
  }
  if (kind == DropKind::kSound && !g_soundHandler) kind = DropKind::kOther;
  switch (kind) {
    case DropKind::kLibrary: return OpenDroppedLibrary(target);
    case DropKind::kSound: g_soundHandler(target); break;
    case DropKind::kPicture: InsertPictureFile(pane, target); break;
    case DropKind::kRtf: InsertTextFile(pane, target, true); break;
    case DropKind::kText: InsertTextFile(pane, target, false); break;
    case DropKind::kShortcut:
    case DropKind::kOther: InsertOther(pane, target); break;
  }
  return DropOutcome::kHandled;
}

namespace {

void CALLBACK EndOfDrop(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_restIgnored = false;
}

}  // namespace

void InsertDroppedFile(const wchar_t* path) {
  if (g_restIgnored || !path) return;
  if (InsertDroppedFileInto(g_shell.currentEditor, path) != DropOutcome::kLibraryOpened) return;
  // The main window hands over one file a call; the rest of this drop
  // arrives in the same message, before any timer can fire.
  g_restIgnored = true;
  SetTimer(nullptr, 0, 0, EndOfDrop);
}

LRESULT OnPaneDropFiles(HWND pane, const ENDROPFILES& drop) {
  if (Store().busy() || Model().selected_id() == 0) return 0;
  g_shell.currentEditor = pane;
  AttachOleCallback(pane);
  HDROP files = static_cast<HDROP>(drop.hDrop);
  const UINT count = DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(files, i, nullptr, 0), L'\0');  // sized from the name
    if (path.empty()) continue;
    DragQueryFileW(files, i, path.data(), static_cast<UINT>(path.size() + 1));
    if (InsertDroppedFileInto(pane, path) == DropOutcome::kLibraryOpened) break;
  }
  DragFinish(files);
  return 0;  // the files are in: the control adds nothing of its own
}

void SetSoundDropHandler(std::function<bool(const std::wstring& path)> handler) {
  g_soundHandler = std::move(handler);
}

void SetShellOpenerForTest(ShellOpener opener) { g_shellOpener = std::move(opener); }

}  // namespace lw
