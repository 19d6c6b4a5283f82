#include "wintest/harness_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/shell_win.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"

#include <commctrl.h>
#include <richedit.h>

#include <thread>

#include "app/msgbox_win.h"
#include "base/utf.h"
#include "base/wide_win.h"

namespace lw::wintest {

namespace {

std::deque<int> g_answers;
std::vector<BoxRecord> g_boxes;
HHOOK g_cbtHook = nullptr;
bool g_starting = false;         // inside AppTest::Start
bool g_midiBoxSeen = false;      // during the current Start
BoxRecord g_midiBox;

int RecordBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  if (g_starting && !g_midiBoxSeen && text == L"!midiOutOpen") {
    g_midiBoxSeen = true;
    g_midiBox = BoxRecord{text, caption, type, owner != nullptr};
    return IDOK;
  }
  g_boxes.push_back(BoxRecord{text, caption, type, owner != nullptr});
  if (g_answers.empty()) {
    ADD_FAILURE() << "unexpected message box: " << Utf16ToUtf8(ToU16(text));
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
  }
  int answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

// A dialog box that did not come through ShowMessage (a system box, say) is
// read, closed and reported, so a test can never hang on it.
void CALLBACK CloseStrayBox(HWND box, UINT, UINT_PTR id, DWORD) {
  KillTimer(box, id);
  wchar_t text[1024] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  ADD_FAILURE() << "stray dialog: "
                << Utf16ToUtf8(ToU16(text));
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    wchar_t cls[32] = L"";
    GetClassNameW(hwnd, cls, 32);
    if (lstrcmpW(cls, L"#32770") == 0) SetTimer(hwnd, 0x5157, 50, CloseStrayBox);
  }
  return CallNextHookEx(g_cbtHook, code, wp, lp);
}

void CollectLabels(HWND tree, HTREEITEM item, int depth, std::vector<std::wstring>* out) {
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    wchar_t buf[256] = L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buf;
    tv.cchTextMax = 256;
    TreeView_GetItem(tree, &tv);
    out->push_back(std::wstring(static_cast<size_t>(depth) * 2, L' ') + buf);
    CollectLabels(tree, TreeView_GetChild(tree, item), depth + 1, out);
  }
}

std::wstring Widen(const std::string& utf8) {
  return ToWide(Utf8ToUtf16(utf8));
}

}  // namespace

void Pump(int ms) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's loop
        return;
      }
      if (TranslateAppAccelerator(&msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < static_cast<DWORD>(ms));
}

void PressKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs;
  std::vector<WORD> held;
  for (WORD vk : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    inputs.push_back(in);
    if (vk == VK_CONTROL || vk == VK_SHIFT || vk == VK_MENU) {
      held.push_back(vk);
      continue;
    }
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  bool sent = false;
  std::thread sender([&] {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    sent = true;
  });
  PumpUntil([&] { return sent; }, 2000);
  sender.join();
  Pump(50);
}

std::vector<std::wstring> TreeLabels(HWND tree) {
  std::vector<std::wstring> out;
  CollectLabels(tree, TreeView_GetRoot(tree), 0, &out);
  return out;
}

std::wstring WindowText(HWND hwnd) {
  // Counted as GetWindowTextW writes it: a paragraph end as "\r\n".
  GETTEXTLENGTHEX len{GTL_USECRLF | GTL_NUMCHARS, 1200};
  LRESULT n = SendMessageW(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0);
  if (n <= 0) n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, &text[0], static_cast<int>(text.size()));
  text.resize(lstrlenW(text.c_str()));
  return text;
}

bool SaveScreenshot(HWND hwnd, const std::string& name) {
  const char* dir = getenv("LW_SCREENSHOT_DIR");
  if (!dir || !*dir) return false;
  Pump(100);
  RECT rc;
  GetWindowRect(hwnd, &rc);
  // In-process captures come out blank under Wine, so the X server's own
  // picture is cut to the window. CreateProcess on a Unix program starts it
  // detached; the finished file is renamed into place when complete.
  std::string target = std::string(dir) + "/" + name + ".png";
  std::string cmd = "/bin/sh -c \"import -window root -crop " + std::to_string(rc.right - rc.left) +
                    "x" + std::to_string(rc.bottom - rc.top) + "+" + std::to_string(rc.left) + "+" +
                    std::to_string(rc.top) + " '" + target + ".part.png' && mv '" + target +
                    ".part.png' '" + target + "'\"";
  std::wstring wcmd = Widen(cmd);
  // Wine maps the Unix root to drive Z:.
  std::wstring dosPath = L"Z:" + Widen(target);
  for (wchar_t& c : dosPath)
    if (c == L'/') c = L'\\';
  DeleteFileW(dosPath.c_str());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &wcmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  return PumpUntil([&] { return GetFileAttributesW(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   10000);
}

void AppTest::SetUp() {
  g_answers.clear();
  g_boxes.clear();
  g_midiBoxSeen = false;
  SetMessageBoxHook(RecordBox);
  g_cbtHook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

void AppTest::TearDown() {
  if (running_) Close();
  if (running_) {
    DestroyWindow(g_mainWindow);
    Pump(50);
    EndApplication();
    running_ = false;
  }
  if (g_cbtHook) UnhookWindowsHookEx(g_cbtHook);
  g_cbtHook = nullptr;
  SetMessageBoxHook(nullptr);
  EXPECT_TRUE(g_answers.empty()) << g_answers.size() << " scripted box answers were not used";
}

int AppTest::Start(StartOptions options) {
  if (options.settingsFolder.empty()) options.settingsFolder = dir_.path().wstring();
  options.showCommand = SW_SHOWNOACTIVATE;
  g_starting = true;
  g_midiBoxSeen = false;
  int code = StartApplication(GetModuleHandleW(nullptr), options);
  g_starting = false;
  running_ = code == 0 && g_mainWindow != nullptr;
  if (running_) {
    WaitForWorker();  // the library given at start is open
    Pump(50);
  }
  return code;
}

int AppTest::StartWithLibrary(const std::string& name, const std::vector<lw::testing::Row>& rows) {
  lw::testing::WriteLibrary(ToU16(Path(name)), rows);
  StartOptions options;
  options.libraryPath = Path(name);
  return Start(options);
}

bool ShowNode(int id) {
  ModelItem* item = Model().ItemOf(id);
  HTREEITEM handle = item && View() ? View()->Show(item) : nullptr;
  if (!handle) return false;
  TreeView_SelectItem(g_shell.tree, handle);
  Pump(10);
  SetFocus(g_shell.editor1);
  return Model().selected_id() == id;
}

HDROP MakeDrop(POINT pt, const std::vector<std::wstring>& paths) {
  size_t chars = 1;
  for (const std::wstring& p : paths) chars += p.size() + 1;
  HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
  df->pFiles = sizeof(DROPFILES);
  df->pt = pt;
  df->fNC = FALSE;
  df->fWide = TRUE;
  auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES));
  for (const std::wstring& p : paths) {
    memcpy(out, p.c_str(), p.size() * sizeof(wchar_t));
    out += p.size() + 1;
  }
  GlobalUnlock(mem);
  return static_cast<HDROP>(mem);
}

bool SelectFirstFile() {
  for (const IndexEntry& e : Model().index()) {
    if (!IsFile(e.id)) continue;
    HTREEITEM handle = View() ? View()->Show(static_cast<ModelItem*>(e.item)) : nullptr;
    if (!handle) return false;
    TreeView_SelectItem(g_shell.tree, handle);
    Pump(20);
    return Model().selected_id() == e.id;
  }
  return false;
}

int AppTest::Close() {
  if (!running_ || !g_mainWindow) return -1;
  SendMessageW(g_mainWindow, WM_CLOSE, 0, 0);
  if (g_mainWindow && IsWindow(g_mainWindow)) return -1;
  MSG msg;
  DWORD start = GetTickCount();
  int code = -1;
  while (GetTickCount() - start < 5000) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        code = static_cast<int>(msg.wParam);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      Sleep(5);
    }
  }
  EndApplication();
  running_ = false;
  return code;
}

void AppTest::AnswerNextBox(int button) { g_answers.push_back(button); }

const std::vector<BoxRecord>& AppTest::Boxes() const { return g_boxes; }

const BoxRecord* AppTest::MidiBox() const { return g_midiBoxSeen ? &g_midiBox : nullptr; }

std::wstring AppTest::Path(const std::string& utf8_name) const {
  return dir_.File(utf8_name).wstring();
}

}  // namespace lw::wintest
